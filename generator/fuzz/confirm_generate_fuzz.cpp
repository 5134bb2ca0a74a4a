// SPDX-License-Identifier: GPL-3.0-or-later
// Any text in Edit1, confirmed and then generated: a refused count changes
// nothing; an accepted one gives the whole table in its documented shape.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fake_window.h"

namespace {

// Keeps one run small; the largest tables are covered by the tests.
constexpr std::int32_t kLargestQuarter = 1024;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using lumiro::Field;
    lumiro::testing::FakeWindow window;
    window.FormActivate();
    window.fields[Field::Edit1] = std::string(reinterpret_cast<const char*>(data), size);
    const lumiro::testing::WindowState before = window.State();

    try {
        window.Button1Click();
    } catch (const lumiro::Exception&) {
        Check(window.State() == before);
        return 0;
    }
    Check(window.div360 >= 1 && window.div360 <= 4194304);
    Check(window.val90 == window.div360 / 4);
    Check(window.fields[Field::Edit2] == std::to_string(window.val90));
    Check(window.progressMin == 0 && window.progressMax == window.val90);
    if (window.val90 > kLargestQuarter)
        return 0;

    window.Button2Click();
    const auto quarter = static_cast<std::size_t>(window.val90);
    const auto& out = window.output;
    Check(out.size() == 2 * quarter + 5);
    for (std::size_t i = 0; i < quarter; ++i) {
        Check(out[1 + i].rfind("i=" + std::to_string(i) + "\tKąt=", 0) == 0);
        const std::string& row = out[quarter + 5 + i];
        Check(row.size() == 65 && row.back() == ',');
    }
    Check(window.progressPosition == 0);
    return 0;
}
