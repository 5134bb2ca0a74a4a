// SPDX-License-Identifier: GPL-3.0-or-later
// Each word kind rounds a real value once, to nearest with ties to even. The
// double path is checked against MPFR's rounding of the same value, which
// knows nothing of the fma trick the fixed kinds use.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "word_kind.h"

namespace lumiro::testing {
namespace {

WordKind Kind(const char* name)
{
    return *WordKind::Named(name);
}

std::uint32_t RoundThroughMpfr(const WordKind& kind, double value)
{
    mpfr_t exact;
    mpfr_init2(exact, 53);
    mpfr_set_d(exact, value, MPFR_RNDN);  // exact
    const std::uint32_t word = kind.Round(exact);
    mpfr_clear(exact);
    return word;
}

TEST(WordKind, NamesAndWidths)
{
    EXPECT_EQ(Kind("float16").width(), 16);
    EXPECT_EQ(Kind("bfloat16").width(), 16);
    EXPECT_EQ(Kind("fixed:2").width(), 2);
    EXPECT_EQ(Kind("ufixed:1").width(), 1);
    EXPECT_EQ(Kind("fixed:32").Name(), "fixed:32");
    EXPECT_EQ(Kind("offset:12").Name(), "offset:12");
    for (const char* bad : {"", "float", "float64", "fixed", "fixed:", "fixed:1", "fixed:33",
                            "ufixed:0", "fixed:016", "fixed:+8", "fixed:8x", "FIXED:8", "fixed: 8",
                            "offset:1", "offset:33", "offset"})
        EXPECT_FALSE(WordKind::Named(bad).has_value()) << bad;
}

TEST(WordKind, HandCheckedWords)
{
    const double sin45 = std::sqrt(0.5);
    // 0.70710678 × 32767 = 23169.77 → 23170.
    EXPECT_EQ(Kind("fixed:16").Round(sin45), 0x5A82U);
    // bfloat16 keeps 8 significand bits: 0.70710678 = 1.0110101 0000010… × 2^-1 → 0x3F35.
    EXPECT_EQ(Kind("bfloat16").Round(sin45), 0x3F35U);
    // binary16: 1.0110101000 0010… × 2^-1, exponent 14, fraction 0x1A8 → 0x39A8.
    EXPECT_EQ(Kind("float16").Round(sin45), 0x39A8U);
    EXPECT_EQ(WordKind::Float32().Round(1.0), 0x3F800000U);
    EXPECT_EQ(Kind("fixed:16").Round(1.0), 0x7FFFU);
    EXPECT_EQ(Kind("fixed:16").Round(-1.0), 0x8001U);  // -32767: the range is symmetric
    EXPECT_EQ(Kind("ufixed:8").Round(1.0), 0xFFU);
    EXPECT_EQ(Kind("fixed:32").Round(-1.0), 0x80000001U);
    // Offset binary: mid-scale 0x8000 is 0, 0xFFFF is +32767, 0x0001 is -32767.
    EXPECT_EQ(Kind("offset:16").Round(0.0), 0x8000U);
    EXPECT_EQ(Kind("offset:16").Round(-0.0), 0x8000U);
    EXPECT_EQ(Kind("offset:16").Round(1.0), 0xFFFFU);
    EXPECT_EQ(Kind("offset:16").Round(-1.0), 0x0001U);
    EXPECT_EQ(Kind("offset:16").Round(sin45), 0xDA82U);
    EXPECT_EQ(Kind("offset:16").ValueOf(0xDA82U), 23170.0 / 32767);
    EXPECT_EQ(Kind("offset:16").ValueOf(0x0001U), -1.0);
}

TEST(WordKind, TiesGoToEven)
{
    EXPECT_EQ(Kind("fixed:16").Round(0.5), 0x4000U);   // 16383.5 → 16384
    EXPECT_EQ(Kind("fixed:16").Round(-0.5), 0xC000U);  // -16383.5 → -16384
    EXPECT_EQ(Kind("ufixed:1").Round(0.5), 0U);        // 0.5 → 0
    EXPECT_EQ(Kind("fixed:3").Round(0.5), 2U);         // 1.5 → 2
    // binary16 subnormals are multiples of 2^-24: 3 × 2^-25 lies between 1 and 2.
    EXPECT_EQ(Kind("float16").Round(std::ldexp(3.0, -25)), 0x0002U);
    EXPECT_EQ(Kind("float16").Round(std::ldexp(1.0, -25)), 0x0000U);
    EXPECT_EQ(Kind("float16").Round(std::ldexp(1.0, -14)), 0x0400U);  // the smallest normal
    // 1 + 2^-11 is the midpoint of 1 and the next binary16: to the even one, 1.
    EXPECT_EQ(Kind("float16").Round(1.0 + std::ldexp(1.0, -11)), 0x3C00U);
    EXPECT_EQ(Kind("float16").Round(1.0 + std::ldexp(3.0, -11)), 0x3C02U);
}

TEST(WordKind, DoublePathAgreesWithMpfrAtAndAroundEveryTie)
{
    std::mt19937_64 random(20261208);
    for (const char* name : {"float32", "float16", "bfloat16", "fixed:2", "fixed:16", "fixed:31",
                             "fixed:32", "ufixed:1", "ufixed:12", "ufixed:32", "offset:2", "offset:16"}) {
        const WordKind kind = Kind(name);
        std::uniform_real_distribution<double> values(kind.isUnsigned() ? 0.0 : -1.0, 1.0);
        for (int sample = 0; sample < 20000; ++sample) {
            double value = values(random);
            // Move it onto a tie of this kind half the time, then a few ulps off it.
            if (sample % 2 == 0) {
                const double unit = kind.UnitAt(value);
                value = (std::floor(value / unit) + 0.5) * unit;
                for (int step = sample % 7 - 3; step < 0; ++step)
                    value = std::nextafter(value, -2.0);
                for (int step = sample % 7 - 3; step > 0; --step)
                    value = std::nextafter(value, 2.0);
            }
            if (kind.isUnsigned() && value < 0)
                continue;
            ASSERT_EQ(kind.Round(value), RoundThroughMpfr(kind, value)) << name << " " << value;
        }
    }
}

TEST(WordKind, ValuesAndUnits)
{
    EXPECT_EQ(Kind("fixed:16").ValueOf(0x8001U), -1.0);
    EXPECT_EQ(Kind("fixed:16").ValueOf(0x7FFFU), 1.0);
    EXPECT_EQ(Kind("float16").ValueOf(0x3C00U), 1.0);
    EXPECT_EQ(Kind("float16").ValueOf(0x0001U), std::ldexp(1.0, -24));
    EXPECT_EQ(Kind("bfloat16").ValueOf(0x3F80U), 1.0);
    EXPECT_EQ(Kind("ufixed:8").UnitAt(0.3), 1.0 / 255);
    EXPECT_EQ(WordKind::Float32().UnitAt(0.75), std::ldexp(1.0, -24));
    EXPECT_EQ(Kind("float16").UnitAt(1e-6), std::ldexp(1.0, -24));  // subnormal quantum
}

}  // namespace
}  // namespace lumiro::testing
