// SPDX-License-Identifier: GPL-3.0-or-later
#include "nco.h"

#include <bit>
#include <cstdio>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

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

namespace {

__extension__ typedef unsigned __int128 Wide;

Wide Gcd(Wide a, Wide b)
{
    while (b != 0)
        a = std::exchange(b, a % b);
    return a;
}

// F D + B, the step of the accumulator of 2^A D.
Wide Step(const NcoPlan& plan, std::uint64_t frequency, std::uint64_t fraction)
{
    return static_cast<Wide>(frequency & plan.mask()) * plan.modulus + fraction;
}

}  // namespace

double PredictedTruncationSfdr(const NcoPlan& plan, std::uint64_t frequency, std::uint64_t fraction)
{
    const Wide span = static_cast<Wide>(plan.modulus) << plan.truncatedBits();  // D 2^t
    const Wide step = Step(plan, frequency, fraction) % span;
    if (step == 0)
        return std::numeric_limits<double>::infinity();
    const double period = static_cast<double>(span / Gcd(step, span));
    if (period < 2)
        return std::numeric_limits<double>::infinity();
    const double spur = std::numbers::pi * std::ldexp(1.0, -plan.phaseBits) / (period * std::sin(std::numbers::pi / period));
    return -20 * std::log10(spur);
}

std::uint64_t NcoPeriod(const NcoPlan& plan, std::uint64_t frequency, std::uint64_t fraction)
{
    const Wide turn = static_cast<Wide>(plan.modulus) << plan.accumulatorBits;  // 2^A D
    const Wide step = Step(plan, frequency, fraction) % turn;
    const Wide period = turn / Gcd(step == 0 ? turn : step, turn);
    return period >> 64 != 0 ? 0 : static_cast<std::uint64_t>(period);
}

std::optional<Tone> ToneFor(const NcoPlan& plan, std::uint64_t numerator, std::uint64_t denominator,
                            std::uint64_t modulus)
{
    const Wide common = Gcd(numerator, denominator);
    const Wide a = numerator / common;
    const Wide b = denominator / common;
    const int bits = plan.accumulatorBits;
    // a 2^A / b as a whole part and a remainder, without a 2^A that overflows.
    Wide whole = 0;
    Wide rest = a;
    for (int bit = 0; bit < bits; ++bit) {
        rest <<= 1;
        whole = whole << 1 | (rest >= b ? 1 : 0);
        if (rest >= b)
            rest -= b;
    }
    Tone tone{static_cast<std::uint64_t>(a), static_cast<std::uint64_t>(b), 0, 0, 0, 1, false};
    tone.nearest = static_cast<std::uint64_t>(whole + (2 * rest >= b ? 1 : 0));
    if (modulus == 0) {
        // The least D: b without the powers of two that 2^A takes.
        Wide d = b;
        for (int bit = 0; bit < bits && d % 2 == 0; ++bit)
            d /= 2;
        if (d > kMostModulus)
            return std::nullopt;
        modulus = static_cast<std::uint64_t>(d);
    }
    // B = the remainder's share of D, rounded: exact where D takes all of b's odd part.
    const Wide scaled = rest * modulus;
    Wide fraction = scaled / b + (2 * (scaled % b) >= b ? 1 : 0);
    tone.exact = scaled % b == 0;
    if (fraction == modulus) {
        ++whole;
        fraction = 0;
    }
    tone.frequency = static_cast<std::uint64_t>(whole);
    tone.fraction = static_cast<std::uint64_t>(fraction);
    tone.modulus = modulus;
    return tone;
}

double GuaranteedSfdr(const NcoPlan& plan, const ComplexError& error)
{
    const double n = std::ldexp(1.0, plan.phaseBits);
    const auto sfdr = [](double carrier, double spur) {
        return spur <= 0 ? std::numeric_limits<double>::infinity() : 20 * std::log10((carrier - spur) / spur);
    };
    double guaranteed = std::numeric_limits<double>::infinity();
    if (plan.modulus > 1) {
        // Its words visit the phases in no pattern of ours: the largest error bounds it.
        const double carrier = std::cos(std::numbers::pi / n);
        return 20 * std::log10((carrier - error.largest) / (carrier * std::numbers::pi / (2 * n) + error.largest));
    }
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
