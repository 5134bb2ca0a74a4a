// SPDX-License-Identifier: GPL-3.0-or-later
// The oscillator's report: the SFDR that the theory of phase truncation
// predicts and the SFDR an FFT of the model's output measures are two
// independent computations of one figure, so each checks the other; and
// dither turns the truncation spurs into noise.
#include <gtest/gtest.h>

#include <cmath>

#include "nco_report.h"

namespace lumiro::coe {
namespace {

struct Word {
    int divisions;
    int accumulator;
    std::uint64_t frequency;
};

void PrintTo(const Word& w, std::ostream* os)
{
    *os << "N " << w.divisions << " A " << w.accumulator << " word 0x" << std::hex << w.frequency;
}

NcoSpectrum Measured(const Word& word, bool dither)
{
    TableShape shape;
    shape.divisions = word.divisions;
    shape.word = *WordKind::Named("fixed:16");
    shape.angle = AngleMode::Exact;
    const SineTable quarter(shape);
    UnitChoices choices;
    choices.nco = NcoPlan{word.accumulator, 0, false, false, dither};
    return MeasureNco(PlanUnit(quarter, choices), quarter, word.frequency);
}

class OscillatorNco : public ::testing::TestWithParam<Word> {};

// Through a window (odd word, and one near half the clock) and over an exact period.
TEST_P(OscillatorNco, PredictionAndMeasurementAgreeWithinOneDecibel)
{
    const NcoSpectrum spectrum = Measured(GetParam(), false);
    ASSERT_TRUE(std::isfinite(spectrum.predicted));
    EXPECT_NEAR(spectrum.measured, spectrum.predicted, 1.0) << std::hex << GetParam().frequency;
}

INSTANTIATE_TEST_SUITE_P(Words, OscillatorNco,
                         ::testing::Values(Word{4096, 32, 0x01234567}, Word{1024, 32, 0x7FFFFFF0},
                                           Word{4096, 20, 0x345}, Word{4096, 16, 0x101}));

TEST(OscillatorNcoDither, TurnsTheWorstTruncationSpurIntoNoise)
{
    const Word word{4096, 32, 0x01234567};
    const NcoSpectrum plain = Measured(word, false);
    const NcoSpectrum dithered = Measured(word, true);
    EXPECT_FALSE(plain.exactPeriod);  // 2^32 clocks: a window
    EXPECT_GE(dithered.measured, plain.measured + 12);
}

TEST(OscillatorNcoDither, WordsWithoutTruncatedBitsHaveNoTruncationSpur)
{
    const NcoSpectrum spectrum = Measured({4096, 24, 0x1000}, false);
    EXPECT_TRUE(std::isinf(spectrum.predicted));
    EXPECT_TRUE(spectrum.exactPeriod);
    EXPECT_EQ(spectrum.clocks, 4096U);  // 2^24 / 2^12
}

}  // namespace
}  // namespace lumiro::coe
