// SPDX-License-Identifier: GPL-3.0-or-later
// The oscillator as its header describes it, written apart from its circuit:
// the phase of the k-th value is the top bits of k * F, plus the dither's low
// bits and the offset; the dither a 64-bit Fibonacci LFSR of the polynomial
// x^64 + x^63 + x^61 + x^60 + 1, seed 0x9E3779B97F4A7C15, shifting left with
// the new bit in bit 0, stepped as many times a clock as bits are truncated.
#pragma once

#include <cstdint>

namespace lumiro::testing {

class ReferenceOscillator {
public:
    ReferenceOscillator(int accumulatorBits, int phaseBits, bool dither, std::uint64_t frequency,
                        std::uint64_t offset = 0)
        : truncated_(accumulatorBits - phaseBits),
          mask_(accumulatorBits == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << accumulatorBits) - 1),
          dither_(dither),
          frequency_(frequency & mask_),
          offset_(offset & mask_)
    {
    }

    std::uint64_t NextPhase()
    {
        std::uint64_t sum = accumulator_ + offset_;
        if (dither_ && truncated_ > 0)
            sum += lfsr_ & ((std::uint64_t{1} << truncated_) - 1);
        const std::uint64_t phase = (sum & mask_) >> truncated_;
        accumulator_ = (accumulator_ + frequency_) & mask_;
        for (int step = 0; dither_ && step < truncated_; ++step)
            lfsr_ = (lfsr_ << 1) | (((lfsr_ >> 63) ^ (lfsr_ >> 62) ^ (lfsr_ >> 60) ^ (lfsr_ >> 59)) & 1U);
        return phase;
    }

private:
    int truncated_;
    std::uint64_t mask_;
    bool dither_;
    std::uint64_t frequency_;
    std::uint64_t offset_;
    std::uint64_t accumulator_ = 0;
    std::uint64_t lfsr_ = 0x9E3779B97F4A7C15;
};

}  // namespace lumiro::testing
