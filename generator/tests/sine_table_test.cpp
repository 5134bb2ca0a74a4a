// SPDX-License-Identifier: GPL-3.0-or-later
// The shapes of a table: the default is the window's, word for word; the exact
// angle gives the correct rounding of sin(2πi/N) itself, checked here against
// MPFR at 256 bits.
#include <gtest/gtest.h>

#include <mpfr.h>

#include <bit>
#include <cmath>

#include "sine_table.h"
#include "table.h"

namespace lumiro::testing {
namespace {

TableShape Shape(std::int32_t divisions)
{
    TableShape shape;
    shape.divisions = divisions;
    return shape;
}

// sin(2π·numerator/denominator) from MPFR at 256 bits, rounded once to single.
// The double rounding (to 256, then 24 bits) could only matter within 2^-256
// of a midpoint, which no sine of a rational turn comes near.
std::uint32_t MpfrSingle(long numerator, unsigned long denominator)
{
    mpfr_t turns;
    mpfr_t sine;
    mpfr_inits2(256, turns, sine, static_cast<mpfr_ptr>(nullptr));
    mpfr_set_si(turns, numerator, MPFR_RNDN);
    mpfr_sinu(sine, turns, denominator, MPFR_RNDN);
    const float single = mpfr_get_flt(sine, MPFR_RNDN);
    mpfr_clears(turns, sine, static_cast<mpfr_ptr>(nullptr));
    return std::bit_cast<std::uint32_t>(single);
}

TEST(SineTable, DefaultShapeIsTheWindowsTable)
{
    for (std::int32_t divisions : {8, 1024, 1000, 3985036}) {
        const SineTable table(Shape(divisions));
        ASSERT_EQ(table.Count(), divisions / 4);
        const float step = RadStep(divisions);
        for (std::int32_t i = 0; i < table.Count(); i += divisions > 100000 ? 997 : 1)
            ASSERT_EQ(table.Word(i), WordOf(SineSample(i, step))) << divisions << " " << i;
    }
}

TEST(SineTable, CountsOfTheSpans)
{
    TableShape shape = Shape(1026);
    EXPECT_EQ(SineTable(shape).Count(), 256);
    shape.span = Span::Half;
    EXPECT_EQ(SineTable(shape).Count(), 513);
    shape.span = Span::Full;
    shape.withEnd = true;
    EXPECT_EQ(SineTable(shape).Count(), 1027);
}

class ExactAngle : public ::testing::TestWithParam<std::int32_t> {};

TEST_P(ExactAngle, EveryWordIsTheCorrectRoundingOfTheIdealSine)
{
    TableShape shape = Shape(GetParam());
    shape.angle = AngleMode::Exact;
    const SineTable table(shape);
    for (std::int32_t i = 0; i < table.Count(); ++i)
        ASSERT_EQ(table.Word(i), MpfrSingle(i, static_cast<unsigned long>(GetParam()))) << i;
}

INSTANTIATE_TEST_SUITE_P(Counts, ExactAngle, ::testing::Values(1024, 1000, 262144));

TEST(SineTable, WindowAngleMissesTheIdealWordOnAQuarterOfTheWords)
{
    // Rounding the step to single moves the angles: at N = 1024, 65 of the 256
    // words are one ulp from the nearest single to sin(2πi/N).
    TableShape window = Shape(1024);
    TableShape exact = window;
    exact.angle = AngleMode::Exact;
    const SineTable windowTable(window);
    const SineTable exactTable(exact);
    int differing = 0;
    for (std::int32_t i = 0; i < 256; ++i) {
        const auto a = static_cast<std::int64_t>(windowTable.Word(i));
        const auto b = static_cast<std::int64_t>(exactTable.Word(i));
        EXPECT_LE(std::abs(a - b), 1) << i;
        differing += a != b ? 1 : 0;
        EXPECT_EQ(exactTable.IdealSample(i).word, exactTable.Word(i));
    }
    EXPECT_EQ(differing, 65);
}

TEST(SineTable, EndSampleAndHalfStep)
{
    TableShape shape = Shape(8);
    shape.withEnd = true;
    EXPECT_EQ(SineTable(shape).Word(2), 0x3F800000U);  // sin 90° = 1
    shape.word = *WordKind::Named("fixed:16");
    EXPECT_EQ(SineTable(shape).Word(2), 0x7FFFU);
    shape.angle = AngleMode::Exact;
    shape.span = Span::Half;
    EXPECT_EQ(SineTable(shape).Word(4), 0x0000U);  // sin 180° = +0, not -0

    // N = 8, half a step on: 22.5° and 67.5°. sin 22.5° = √(2 - √2) / 2 =
    // 0.38268343236508977, nearest single 0x3EC3EF15; sin 67.5° = √(2 + √2) / 2 =
    // 0.92387953251128674, nearest single 0x3F6C835E.
    TableShape half = Shape(8);
    half.halfStep = true;
    half.angle = AngleMode::Exact;
    EXPECT_EQ(SineTable(half).Word(0), 0x3EC3EF15U);
    EXPECT_EQ(SineTable(half).Word(1), 0x3F6C835EU);
    // In window mode the angles are 0.5 and 1.5 times the single step π/4 + 2.2e-8.
    half.angle = AngleMode::Window;
    const double step = static_cast<double>(RadStep(8));
    EXPECT_EQ(SineTable(half).Word(1), WordOf(static_cast<float>(std::sin(1.5 * step))));
}

TEST(SineTable, ExactTiesOfFixedWordsGoToEven)
{
    // sin 30° = 1/2 exactly: 0.5 × 32767 = 16383.5 lies on a tie, which goes to 16384.
    TableShape shape = Shape(12);
    shape.angle = AngleMode::Exact;
    shape.word = *WordKind::Named("fixed:16");
    EXPECT_EQ(SineTable(shape).Word(1), 0x4000U);
}


TEST(SineTable, IdealSinesThatAreRationalAreExact)
{
    // Niven: 0, ±½ and ±1 are the only rational sines of rational turns. The
    // double of sin(π/6) is 0.49999999999999994, which would put the ulp a binade low.
    TableShape shape = Shape(12);
    shape.span = Span::Full;
    const SineTable table(shape);
    EXPECT_EQ(table.IdealSample(1).value, 0.5);    // 30°
    EXPECT_EQ(table.IdealSample(3).value, 1.0);    // 90°
    EXPECT_EQ(table.IdealSample(5).value, 0.5);    // 150°
    EXPECT_EQ(table.IdealSample(6).value, 0.0);    // 180°
    EXPECT_EQ(table.IdealSample(7).value, -0.5);   // 210°
    EXPECT_EQ(table.IdealSample(9).value, -1.0);   // 270°
    shape.divisions = 3000;                        // 250 × 2π/3000 = 30°
    EXPECT_EQ(SineTable(shape).IdealSample(250).value, 0.5);
}

TEST(SineTable, UnsignedWordsOnlyForShapesWithoutNegativeSamples)
{
    // The largest angle of a shape decides: with a signed probe word, its sample
    // must not be negative wherever the shape is allowed for ufixed.
    const auto lastIsNegative = [](TableShape shape) {
        shape.word = *WordKind::Named("fixed:32");
        const SineTable table(shape);
        return table.Count() > 0 && (table.Word(table.Count() - 1) >> 31) != 0;
    };
    std::vector<std::int32_t> counts;
    for (std::int32_t n = 1; n <= 4100; ++n)
        counts.push_back(n);
    for (std::int32_t n : {65536, 1048575, 3985036, 4194300, 4194303, 4194304})
        counts.push_back(n);
    for (const std::int32_t n : counts)
        for (const Span span : {Span::Quarter, Span::Half, Span::Full})
            for (const AngleMode angle : {AngleMode::Window, AngleMode::Exact})
                for (const int variant : {0, 1, 2}) {  // plain, with end, half a step on
                    TableShape shape = Shape(n);
                    shape.span = span;
                    shape.angle = angle;
                    shape.withEnd = variant == 1;
                    shape.halfStep = variant == 2;
                    shape.word = *WordKind::Named("ufixed:8");
                    if (CheckShape(shape) == ShapeFault::None) {
                        ASSERT_FALSE(lastIsNegative(shape)) << n << " span " << static_cast<int>(span);
                    }
                }
    // What the refusal guards against: 6 × float(π/6) lies past π.
    TableShape half = Shape(12);
    half.span = Span::Half;
    half.withEnd = true;
    EXPECT_TRUE(lastIsNegative(half));
    half.word = *WordKind::Named("ufixed:8");
    EXPECT_EQ(CheckShape(half), ShapeFault::NegativeUnsigned);
}

// The cosine of the same angles: cos 0 = 1, cos 60° = ½ (a tie for fixed
// words), cos 90° = +0, and every exact word MPFR's correct rounding.
TEST(SineTable, CosineTablesAtTheExactValuesAndAgainstMpfr)
{
    TableShape shape = Shape(12);
    shape.function = Function::Cosine;
    shape.angle = AngleMode::Exact;
    shape.withEnd = true;
    shape.word = *WordKind::Named("fixed:16");
    const SineTable fixed(shape);
    EXPECT_EQ(fixed.Word(0), 0x7FFFU);  // 1 × 32767
    EXPECT_EQ(fixed.Word(2), 0x4000U);  // ½ × 32767 = 16383.5, to even
    EXPECT_EQ(fixed.Word(3), 0x0000U);  // +0, not -0
    EXPECT_EQ(fixed.IdealSample(2).value, 0.5);

    for (const std::int32_t n : {1000, 4096}) {
        TableShape exact = Shape(n);
        exact.function = Function::Cosine;
        exact.angle = AngleMode::Exact;
        exact.span = Span::Full;
        const SineTable table(exact);
        for (std::int32_t i = 0; i < n; ++i) {
            mpfr_t turns;
            mpfr_t cosine;
            mpfr_inits2(256, turns, cosine, static_cast<mpfr_ptr>(nullptr));
            mpfr_set_si(turns, i, MPFR_RNDN);
            mpfr_cosu(cosine, turns, static_cast<unsigned long>(n), MPFR_RNDN);
            const float single = mpfr_get_flt(cosine, MPFR_RNDN);
            mpfr_clears(turns, cosine, static_cast<mpfr_ptr>(nullptr));
            ASSERT_EQ(table.Word(i), std::bit_cast<std::uint32_t>(single + 0.0F)) << n << " " << i;
        }
    }

    // A quarter unfolds into the full period by the cosine's own symmetry.
    TableShape quarter = Shape(1024);
    quarter.function = Function::Cosine;
    quarter.angle = AngleMode::Exact;
    quarter.word = *WordKind::Named("fixed:12");
    TableShape full = quarter;
    full.span = Span::Full;
    EXPECT_EQ(SineTable(quarter).FullPeriod(), SineTable(full).FullPeriod());
}

}  // namespace
}  // namespace lumiro::testing
