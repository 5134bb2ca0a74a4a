// SPDX-License-Identifier: GPL-3.0-or-later
#include "nco.h"

#include <bit>
#include <cmath>
#include <limits>
#include <numbers>

namespace lumiro {

std::uint64_t DitherStepped(std::uint64_t state, int steps)
{
    for (int step = 0; step < steps; ++step) {
        const std::uint64_t bit = ((state >> 63) ^ (state >> 62) ^ (state >> 60) ^ (state >> 59)) & 1U;
        state = (state << 1) | bit;
    }
    return state;
}

NcoModel::NcoModel(const NcoPlan& plan, std::uint64_t frequency, std::uint64_t offset)
    : plan_(plan), frequency_(frequency & plan.mask()), offset_(offset & plan.mask())
{
}

std::uint64_t NcoModel::NextPhase()
{
    const int truncated = plan_.truncatedBits();
    std::uint64_t sum = accumulator_;
    if (plan_.dither && truncated > 0)
        sum += lfsr_ & ((std::uint64_t{1} << truncated) - 1);
    if (plan_.phaseOffset)
        sum += offset_;
    const std::uint64_t phase = (sum & plan_.mask()) >> truncated;
    accumulator_ = (accumulator_ + frequency_) & plan_.mask();
    if (plan_.dither)
        lfsr_ = DitherStepped(lfsr_, truncated);
    return phase;
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

std::uint64_t NcoPeriod(const NcoPlan& plan, std::uint64_t frequency)
{
    frequency &= plan.mask();
    const int zeros = frequency == 0 ? plan.accumulatorBits : std::countr_zero(frequency);
    const int bits = plan.accumulatorBits - std::min(zeros, plan.accumulatorBits);
    return bits >= 64 ? 0 : std::uint64_t{1} << bits;  // 0: 2^64
}

}  // namespace lumiro
