// SPDX-License-Identifier: GPL-3.0-or-later
// The sine of a sample angle, the same on every platform: the correctly rounded
// double sine (to nearest, ties to even), whoever's maths library is underneath.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

namespace lumiro {

// Always through MPFR: proven, and about a hundred times slower than std::sin.
double CorrectlyRoundedSine(double x);
double CorrectlyRoundedCosine(double x);

namespace detail {

// std::sin is trusted to this many double ulps. glibc's worst is 0.52 and its
// documented bound 1; every maths library in use stays within a few.
inline constexpr std::int64_t kSineErrorUlps = 16;

// Whether a double this close to the true sine may still round to another single
// than the true sine does: only near a midpoint between two singles, where the
// low 29 bits of the double are close to 1 << 28.
inline bool MayRoundOtherwise(double approximate)
{
    constexpr std::uint64_t kLowBits = (std::uint64_t{1} << 29) - 1;
    constexpr std::int64_t kMidpoint = std::int64_t{1} << 28;
    const auto bits = std::bit_cast<std::uint64_t>(approximate);
    // Below the normal singles the midpoints lie elsewhere; no sample angle of a
    // table gets there, so these simply take the proven path.
    constexpr std::uint64_t kSmallestNormalSingleExponent = 1023 - 126;
    if (((bits >> 52) & 0x7FFU) < kSmallestNormalSingleExponent)
        return true;
    const auto distance = static_cast<std::int64_t>(bits & kLowBits) - kMidpoint;
    return distance >= -kSineErrorUlps && distance <= kSineErrorUlps;
}

}  // namespace detail

// The correctly rounded double sine of x, rounded to single: std::sin where its
// error cannot change the single, MPFR where it could.
inline float SingleSine(double x)
{
    if (x == 0.0)
        return static_cast<float>(x);  // sin ±0 = ±0, exactly, in every library
    const double fast = std::sin(x);
    if (!detail::MayRoundOtherwise(fast))
        return static_cast<float>(fast);
    return static_cast<float>(CorrectlyRoundedSine(x));
}

// The same for the cosine.
inline float SingleCosine(double x)
{
    const double fast = std::cos(x);
    if (x == 0.0 || !detail::MayRoundOtherwise(fast))
        return static_cast<float>(fast);  // cos ±0 = 1, exactly, in every library
    return static_cast<float>(CorrectlyRoundedCosine(x));
}

}  // namespace lumiro
