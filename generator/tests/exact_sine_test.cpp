// SPDX-License-Identifier: GPL-3.0-or-later
// The sine is the same on every platform: each expected word comes from MPFR,
// worked out here at 128 bits, rounded once to double and then to single.
#include <gtest/gtest.h>

#include <mpfr.h>

#include <cstdint>

#include "table.h"

namespace lumiro::testing {
namespace {

struct Reference {
    double sine;         // correctly rounded double
    std::uint32_t word;  // that double rounded to single
};

Reference ReferenceSine(double x)
{
    mpfr_t wide;
    mpfr_init2(wide, 128);
    mpfr_set_d(wide, x, MPFR_RNDN);
    const int inexact = mpfr_sin(wide, wide, MPFR_RNDN);  // error below one ulp of 128 bits
    EXPECT_TRUE(inexact == 0 || mpfr_can_round(wide, 127, MPFR_RNDN, MPFR_RNDZ, 54))
        << "undecided at 128 bits";
    const double sine = mpfr_get_d(wide, MPFR_RNDN);
    mpfr_clear(wide);
    return {sine, WordOf(static_cast<float>(sine))};
}

// How far a double lies from the nearest midpoint between two singles, in double ulps.
std::int64_t UlpsFromSingleMidpoint(double value)
{
    const auto low = static_cast<std::int64_t>(std::bit_cast<std::uint64_t>(value) & 0x1FFFFFFFU);
    return low - (std::int64_t{1} << 28);
}

struct Boundary {
    std::int32_t divisions;
    std::int32_t index;
};

void PrintTo(const Boundary& b, std::ostream* os)
{
    *os << "N " << b.divisions << " word " << b.index;
}

class SineAtSingleBoundary : public ::testing::TestWithParam<Boundary> {};

// Samples whose sine lies within two double ulps of a midpoint between singles,
// found by scanning every 4999th N from 2000000 up: a library sine off by one
// ulp may round these either way.
TEST_P(SineAtSingleBoundary, IsTheCorrectlyRoundedWord)
{
    const auto [divisions, index] = GetParam();
    const float step = RadStep(divisions);
    const Reference reference = ReferenceSine(SampleAngle(index, step));

    const std::int64_t distance = UlpsFromSingleMidpoint(reference.sine);
    EXPECT_LE(distance < 0 ? -distance : distance, 2) << "no longer a boundary sample";
    EXPECT_EQ(WordOf(SineSample(index, step)), reference.word);
}

INSTANTIATE_TEST_SUITE_P(Scanned, SineAtSingleBoundary,
                         ::testing::Values(Boundary{3985036, 139990}, Boundary{2644871, 539184},
                                           Boundary{2904819, 71641}, Boundary{3264747, 637494},
                                           Boundary{3364727, 283811},
                                           Boundary{3829634, 699060}));

TEST(ExactSine, TheSampleThatTheLibrarySineRoundsDown)
{
    // The true sine lies 0.506 double ulp above the midpoint of 0x3E603026 and
    // 0x3E603027; glibc's sine is the midpoint itself and ties to the lower one.
    const float step = RadStep(3985036);
    EXPECT_EQ(SampleAngle(139990, step), 0x1.c409a2a78c000p-3);
    EXPECT_EQ(WordOf(SineSample(139990, step)), 0x3E603027U);
    EXPECT_EQ(CorrectlyRoundedSine(0x1.c409a2a78c000p-3), ReferenceSine(0x1.c409a2a78c000p-3).sine);
}

TEST(ExactSine, EveryWordOfTheDefaultTable)
{
    const float step = RadStep(1024);
    for (std::int32_t i = 0; i < 256; ++i)
        ASSERT_EQ(WordOf(SineSample(i, step)), ReferenceSine(SampleAngle(i, step)).word) << i;
}

}  // namespace
}  // namespace lumiro::testing
