// SPDX-License-Identifier: GPL-3.0-or-later
// Any text in Edit4 through the float test: refused, nothing is appended;
// accepted, a five-entry report that echoes the text and ends with its row.
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fake_window.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using lumiro::Field;
    lumiro::testing::FakeWindow window;
    const std::string typed(reinterpret_cast<const char*>(data), size);
    window.fields[Field::Edit4] = typed;
    const lumiro::testing::WindowState before = window.State();

    float value = 0;
    try {
        value = lumiro::StrToFloat(typed);
    } catch (const lumiro::Exception&) {
    }
    try {
        window.Button3Click();
    } catch (const lumiro::Exception&) {
        if (!(window.State() == before))
            std::abort();
        return 0;
    }
    const auto& out = window.output;
    if (out.size() != 6 || out[2] != typed || out[5].size() != 65)
        std::abort();
    std::uint32_t word = 0;
    for (std::size_t bit = 0; bit < 32; ++bit)
        word = (word << 1) | (out[5][2 * bit] == '1' ? 1U : 0U);
    if (word != std::bit_cast<std::uint32_t>(value))
        std::abort();
    return 0;
}
