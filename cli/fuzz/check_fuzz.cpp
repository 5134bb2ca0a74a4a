// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as a file for --check, read as each kind it can be: the reader
// either takes it or refuses it with a message, and never crashes, hangs or
// reads out of bounds. What it takes is compared with a small table.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace lumiro::coe;
    static const WordTable table = WindowTable(64);
    static std::FILE* const sink = std::fopen("/dev/null", "w");
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const Format& format : Formats()) {
        if (format.read == nullptr)
            continue;
        for (const std::optional<Radix> radix : {std::optional<Radix>(), std::optional(Radix::Hex)}) {
            try {
                const int status = CompareWithTable(text, format, radix, table, sink);
                if (status != kCheckMatches && status != kCheckDiffers)
                    std::abort();
            } catch (const ReadError& error) {
                if (std::string_view(error.what()).empty())
                    std::abort();
            }
        }
    }
    return 0;
}
