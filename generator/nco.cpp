// SPDX-License-Identifier: GPL-3.0-or-later
#include "nco.h"

#include <bit>
#include <cstdio>
#include <cmath>
#include <limits>
#include <numbers>

namespace lumiro {

std::string DitherPolynomial()
{
    // A tap at bit b is the term x^(b + 1); the state's width is the leading one.
    std::string text = "x^64";
    for (const int tap : kDitherTaps)
        if (tap != 63)
            text += " + x^" + std::to_string(tap + 1);
    return text + " + 1";
}

std::string DitherSeedText()
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%016llX", static_cast<unsigned long long>(kDitherSeed));
    return text;
}

int LaneDepth(const NcoPlan& plan)
{
    return std::countr_zero(static_cast<unsigned>(plan.lanes));
}

double PredictedTruncationSfdr(const NcoPlan& plan, std::uint64_t frequency)
{
    const int truncated = plan.truncatedBits();
    frequency &= plan.mask();
    const int zeros = frequency == 0 ? plan.accumulatorBits : std::countr_zero(frequency);
    if (zeros >= truncated)
        return std::numeric_limits<double>::infinity();
    const double period = std::ldexp(1.0, truncated - zeros);
    const double spur = std::numbers::pi * std::ldexp(1.0, -plan.phaseBits) / (period * std::sin(std::numbers::pi / period));
    return -20 * std::log10(spur);
}

double GuaranteedSfdr(const NcoPlan& plan, const ComplexError& error)
{
    const double n = std::ldexp(1.0, plan.phaseBits);
    const auto sfdr = [](double carrier, double spur) {
        return spur <= 0 ? std::numeric_limits<double>::infinity() : 20 * std::log10((carrier - spur) / spur);
    };
    double guaranteed = std::numeric_limits<double>::infinity();
    if (plan.truncatedBits() > 0) {
        // The worst truncation spur is a word's whose error repeats every
        // M = 2 clocks; the truncated exponential's carrier is a mean of unit
        // vectors within an arc of 2 pi/N. Such a word visits every phase.
        const double all = error.byLevel.empty() ? error.largest : error.byLevel.front();
        const double carrier = std::cos(std::numbers::pi / n);
        const double spur = carrier * std::numbers::pi / (2 * n) + all;
        guaranteed = 20 * std::log10((carrier - all) / spur);
    }
    for (const double rms : error.byLevel)
        guaranteed = std::min(guaranteed, sfdr(1.0, rms));
    return guaranteed;
}

std::uint64_t NcoPeriod(const NcoPlan& plan, std::uint64_t frequency)
{
    frequency &= plan.mask();
    const int zeros = frequency == 0 ? plan.accumulatorBits : std::countr_zero(frequency);
    const int bits = plan.accumulatorBits - std::min(zeros, plan.accumulatorBits);
    return bits >= 64 ? 0 : std::uint64_t{1} << bits;  // 0: 2^64
}

}  // namespace lumiro
