// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as a file for --check, read as each kind it can be: the reader
// either takes it or refuses it with a message, and never crashes, hangs or
// reads out of bounds. What it takes is compared with a small table.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "check.h"
#include "window_table.h"

namespace {

// The bytes a few at a time, so that every token may straddle a refill.
class Trickle : public lumiro::coe::ByteSource {
public:
    explicit Trickle(std::string_view text) : text_(text) {}
    std::size_t Read(char* to, std::size_t room) override
    {
        const std::size_t count = std::min({room, 1 + text_.size() % 13, text_.size()});
        text_.copy(to, count);
        text_.remove_prefix(count);
        return count;
    }

private:
    std::string_view text_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace lumiro::coe;
    using lumiro::SineTable;
    static const SineTable table = lumiro::testing::WindowTable(64);
    static std::FILE* const sink = std::fopen("/dev/null", "w");
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const Format& format : Formats()) {
        if (format.read == nullptr)
            continue;
        for (const std::optional<Radix> radix : {std::optional<Radix>(), std::optional(Radix::Hex)}) {
            // Whole, and through the buffer: both read alike.
            int statuses[2] = {-1, -1};
            for (int streamed = 0; streamed < 2; ++streamed) {
                try {
                    Trickle source(text);
                    TextScanner trickled(source);
                    TextScanner whole(text);
                    statuses[streamed] = CompareWithTable(streamed != 0 ? trickled : whole, format, radix, table, sink);
                    if (statuses[streamed] != kSucceeded && statuses[streamed] != kDiffers)
                        std::abort();
                } catch (const ReadError& error) {
                    if (std::string_view(error.what()).empty())
                        std::abort();
                }
            }
            if (statuses[0] != statuses[1] && text.size() < TextScanner::kLongestRun)
                std::abort();
        }
    }
    return 0;
}
