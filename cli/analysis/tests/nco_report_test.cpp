// SPDX-License-Identifier: GPL-3.0-or-later
// The oscillator's report: the SFDR that the theory of phase truncation
// predicts and the SFDR an FFT of the model's output measures are two
// independent computations of one figure, so each checks the other; and
// dither turns the truncation spurs into noise.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <limits>
#include <vector>

#include "design.h"
#include "hardware/units.h"
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

// The guarantee against the FFT over an exact period of hundreds of words:
// random ones, one of each count of trailing zeros, those next to 0 and to half
// the clock, on units whose every word's period fits one record. No word may
// measure below it, and the worst one lies within a few dB of it.
TEST(OscillatorGuarantee, NoWordMeasuresBelowItAndTheWorstComesClose)
{
    struct Unit {
        int divisions;
        const char* word;
        std::int32_t tableWords;
        int accumulator;
        std::size_t randomWords;
    };
    for (const Unit& unit : {Unit{1024, "fixed:12", 0, 16, 160}, Unit{1024, "fixed:14", 0, 10, 0},
                             Unit{16384, "fixed:16", 256, 18, 30}}) {
        TableShape shape;
        shape.divisions = unit.divisions;
        shape.word = *WordKind::Named(unit.word);
        shape.angle = AngleMode::Exact;
        const SineTable quarter(shape);
        UnitChoices choices;
        choices.tableWords = unit.tableWords;
        choices.latency = DefaultLatency(shape, unit.tableWords, true);
        choices.nco = NcoPlan{unit.accumulator, 0, false, false, false};
        const UnitPlan plan = PlanUnit(quarter, choices);
        const double guaranteed = GuaranteedSfdr(*plan.nco, hardware::ComplexErrorOf(plan, quarter));
        const std::uint64_t words = std::uint64_t{1} << unit.accumulator;
        std::vector<std::uint64_t> tried;
        for (int zeros = 0; zeros < unit.accumulator; ++zeros)
            tried.push_back(((std::uint64_t{0x2B5} << zeros) & (words - 1)) | std::uint64_t{1} << zeros);
        for (std::uint64_t k = 1; k <= 8; ++k)
            tried.insert(tried.end(), {k, words - k, words / 2 - k, words / 2 + k});
        if (unit.randomWords == 0) {  // every word
            tried.clear();
            for (std::uint64_t word = 1; word < words; ++word)
                tried.push_back(word);
        }
        std::uint64_t x = 0x5DEECE66DULL;
        for (std::size_t k = 0; k < unit.randomWords; ++k) {
            x = x * 6364136223846793005ULL + 1442695040888963407ULL;
            tried.push_back((x >> 20) & (words - 1));
        }
        double worst = std::numeric_limits<double>::infinity();
        std::uint64_t worstWord = 0;
        for (const std::uint64_t word : tried) {
            const NcoSpectrum spectrum = MeasureNco(plan, quarter, word);
            ASSERT_TRUE(spectrum.exactPeriod);
            if (std::isnan(spectrum.measured))
                continue;  // no carrier
            ASSERT_GE(spectrum.measured, guaranteed) << unit.divisions << " " << unit.word << ", word 0x" << std::hex
                                                      << word;
            if (spectrum.measured < worst) {
                worst = spectrum.measured;
                worstWord = word;
            }
        }
        EXPECT_LT(worst - guaranteed, 4.0) << unit.divisions << " " << unit.word << ": the worst word 0x" << std::hex
                                          << worstWord << " measures " << worst << " dB, the guarantee " << guaranteed;
        EXPECT_GT(tried.size(), 40U);
    }
}

// --design over a grid of requirements: each unit steps in at most the
// resolution, its guarantee meets the SFDR, words measured by FFT over exact
// periods (the worst truncation's, one of whole phases, random ones) meet it,
// and its table is no larger than the plain rule's.
TEST(OscillatorDesign, MeetsTheRequirementsWithNoMoreMemoryThanThePlainRule)
{
    struct Asked {
        double clock;
        double resolution;
        double sfdr;
    };
    for (const auto& [clock, resolution, sfdr] : {Asked{100e6, 1, 50}, Asked{100e6, 1, 72}, Asked{100e6, 1, 90},
                                                  Asked{100e6, 5000, 50}, Asked{100e6, 5000, 90},
                                                  Asked{122.88e6, 1, 90}}) {
                const DesignOutcome outcome = DesignUnit({clock, resolution, sfdr});
                ASSERT_TRUE(outcome.chosen) << clock << " " << resolution << " " << sfdr;
                const Design& design = *outcome.chosen;
                SCOPED_TRACE(std::to_string(design.divisions) + " fixed:" + std::to_string(design.width) + " M " +
                             std::to_string(design.tableWords) + " A " + std::to_string(design.accumulatorBits));
                EXPECT_LE(std::ldexp(clock, -design.accumulatorBits), resolution);
                EXPECT_GE(design.guaranteed, sfdr);
                EXPECT_LE(design.memoryBits, PlainRuleBits(sfdr));
                TableShape shape;
                shape.divisions = design.divisions;
                shape.word = *WordKind::Named("fixed:" + std::to_string(design.width));
                shape.angle = AngleMode::Exact;
                const SineTable quarter(shape);
                UnitChoices choices;
                choices.tableWords = design.tableWords;
                choices.latency = DefaultLatency(shape, design.tableWords, true);
                choices.nco = NcoPlan{design.accumulatorBits, 0, false, false, false};
                const UnitPlan plan = PlanUnit(quarter, choices);
                const int a = design.accumulatorBits;
                const int t = plan.nco->truncatedBits();
                // Periods of at most 2^20 clocks: words of 2^(A - 20) and up.
                const int low = std::max(0, a - 20);
                std::vector<std::uint64_t> words{std::uint64_t{3} << std::max(low, t - 1),
                                                 std::uint64_t{5} << std::max(low, t)};
                std::uint64_t x = 12345;
                for (int k = 0; k < 4; ++k) {
                    x = x * 6364136223846793005ULL + 1442695040888963407ULL;
                    words.push_back(((x >> 40) | 1) << low & ((std::uint64_t{1} << (a - 1)) - 1));
                }
                for (const std::uint64_t word : words) {
                    if (word == 0)
                        continue;
                    const NcoSpectrum spectrum = MeasureNco(plan, quarter, word);
                    ASSERT_TRUE(spectrum.exactPeriod) << std::hex << word;
                    EXPECT_GE(spectrum.measured, sfdr) << "word 0x" << std::hex << word;
                }
            }
}

}  // namespace
}  // namespace lumiro::coe
