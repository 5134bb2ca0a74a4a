// SPDX-License-Identifier: GPL-3.0-or-later
// The quarter-wave sine table: its values and the bit row of one word, free of
// any window so that every front end produces the same bits.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "exact_sine.h"

namespace lumiro {

// The double nearest to 2π; the division is formed in double precision.
inline constexpr double kTwoPi = 6.283185307179586;

// Counts the confirm takes: Q = N / 4 up to 2^20 words, the deepest block RAM
// anyone builds for this.
inline constexpr std::int32_t kMinDivisions = 1;
inline constexpr std::int32_t kMaxDivisions = 4194304;

inline std::int32_t QuarterCount(std::int32_t divisions) { return divisions / 4; }

// One rounding, from the double quotient to single.
inline float RadStep(std::int32_t divisions)
{
    return static_cast<float>(kTwoPi / divisions);
}

// i × step is exact in a double for every i below 2^29 (24 + 29 bits), so this
// is the exact product rounded once, as stated.
inline double SampleAngle(std::int32_t index, float step)
{
    return static_cast<double>(index) * static_cast<double>(step);
}

// The double-precision sine, correctly rounded, then rounded once to single.
// Never sinf: its result differs.
inline float SineSample(std::int32_t index, float step)
{
    return SingleSine(SampleAngle(index, step));
}

inline std::uint32_t WordOf(float value) { return std::bit_cast<std::uint32_t>(value); }

// A bit row: bit 31 first, each digit followed by a space, then ','.
inline constexpr std::size_t kRowChars = 65;

inline char* WriteWordRow(char* out, std::uint32_t word)
{
    for (int bit = 31; bit >= 0; --bit) {
        *out++ = static_cast<char>('0' + ((word >> bit) & 1U));
        *out++ = ' ';
    }
    *out++ = ',';
    return out;
}

}  // namespace lumiro
