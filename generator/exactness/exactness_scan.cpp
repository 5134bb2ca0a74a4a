// SPDX-License-Identifier: GPL-3.0-or-later
// Checks every sample of a range of division counts against MPFR, which is
// slow but proven, and counts the words that differ.
//   exactness_scan FROM TO [STEP]   (N = FROM, FROM + STEP, ... up to TO)
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "table.h"

namespace {

bool ParseCount(std::string_view text, std::int32_t& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size() && value >= 1;
}

}  // namespace

int main(int argc, char** argv)
{
    std::int32_t from = 0;
    std::int32_t to = 0;
    std::int32_t step = 1;
    if (argc < 3 || argc > 4 || !ParseCount(argv[1], from) || !ParseCount(argv[2], to) ||
        (argc == 4 && !ParseCount(argv[3], step)) || to > lumiro::kMaxDivisions) {
        std::fputs("usage: exactness_scan FROM TO [STEP], 1 <= FROM <= TO <= 4194304\n", stderr);
        return 2;
    }

    std::uint64_t checked = 0;
    std::uint64_t differing = 0;
    for (std::int64_t n = from; n <= to; n += step) {
        const auto divisions = static_cast<std::int32_t>(n);
        const float step_ = lumiro::RadStep(divisions);
        for (std::int32_t i = 0; i < lumiro::QuarterCount(divisions); ++i) {
            const double x = lumiro::SampleAngle(i, step_);
            const float proven = static_cast<float>(lumiro::CorrectlyRoundedSine(x));
            const float produced = lumiro::SineSample(i, step_);
            ++checked;
            if (lumiro::WordOf(proven) != lumiro::WordOf(produced)) {
                ++differing;
                std::printf("differs: N=%d i=%d word %08X, MPFR %08X\n", divisions, i,
                            lumiro::WordOf(produced), lumiro::WordOf(proven));
            }
        }
    }
    std::printf("N from %d to %d step %d: %llu samples checked against MPFR, %llu differ\n", from,
                to, step, static_cast<unsigned long long>(checked),
                static_cast<unsigned long long>(differing));
    return differing == 0 ? 0 : 1;
}
