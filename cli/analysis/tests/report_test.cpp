// SPDX-License-Identifier: GPL-3.0-or-later
// The accuracy report's figures against independent computations: a naive DFT
// written here, the 6 dB a bit of quantised sines, and the counts of N = 1024.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <complex>
#include <numbers>

#include "accuracy_report.h"
#include "i18n.h"

namespace lumiro::coe::testing {
namespace {

SineTable Table(std::int32_t divisions, const char* word, AngleMode angle = AngleMode::Window,
                Span span = Span::Quarter)
{
    TableShape shape;
    shape.divisions = divisions;
    shape.word = *WordKind::Named(word);
    shape.angle = angle;
    shape.span = span;
    return SineTable(shape);
}

// Carrier power over the strongest other bin, by the definition of the DFT.
double NaiveSfdr(const std::vector<double>& period)
{
    const std::size_t n = period.size();
    std::vector<double> power(n / 2 + 1);
    for (std::size_t bin = 0; bin < power.size(); ++bin) {
        std::complex<double> sum;
        for (std::size_t k = 0; k < n; ++k)
            sum += period[k] * std::polar(1.0, -2 * std::numbers::pi * static_cast<double>(bin * k) /
                                                   static_cast<double>(n));
        power[bin] = std::norm(sum);
    }
    double spur = 0;
    for (std::size_t bin = 0; bin < power.size(); ++bin)
        if (bin != 1)
            spur = std::max(spur, power[bin]);
    return 10 * std::log10(power[1] / spur);
}

TEST(Report, SfdrIsTheNaiveDftsFigure)
{
    for (const char* word : {"fixed:6", "fixed:10", "float16"}) {
        const SineTable table = Table(256, word, AngleMode::Exact, Span::Full);
        std::vector<double> period;
        for (std::int32_t i = 0; i < 256; ++i)
            period.push_back(WordKind::Named(word)->ValueOf(table.Word(i)));
        const auto sfdr = SpuriousFreeRange(period);
        ASSERT_TRUE(sfdr.has_value());
        EXPECT_NEAR(*sfdr, NaiveSfdr(period), 1e-6) << word;
    }
}

TEST(Report, QuarterUnfoldsToTheFullPeriod)
{
    // With exact angles and N divisible by 4, the full-span table is the quarter
    // mirrored and negated, 1 at 90° included: the same period, the same SFDR.
    for (const Span span : {Span::Quarter, Span::Half}) {
        EXPECT_EQ(Table(1024, "fixed:12", AngleMode::Exact, span).FullPeriod(),
                  Table(1024, "fixed:12", AngleMode::Exact, Span::Full).FullPeriod());
    }
}

TEST(Report, FixedPointGainsAboutSixDecibelsABit)
{
    // A quantised sine loses about 6.02 dB of SFDR for every bit it drops; over
    // eight bits the spurs wander, so the slope is taken across them.
    const double narrow = *MeasureAccuracy(Table(4096, "fixed:8", AngleMode::Exact)).sfdr;
    const double wide = *MeasureAccuracy(Table(4096, "fixed:16", AngleMode::Exact)).sfdr;
    EXPECT_NEAR((wide - narrow) / 8, 6.02, 1.0) << narrow << " " << wide;
    EXPECT_GT(narrow, 6.02 * 8);
}

TEST(Report, CountsAndErrorsAtTheDefaultTable)
{
    const Accuracy window = MeasureAccuracy(Table(1024, "float32"));
    EXPECT_EQ(window.words, 256);
    EXPECT_EQ(window.correctlyRounded, 256 - 65);
    EXPECT_GT(window.largestError, 0.5);  // the moved angles cost more than half an ulp
    EXPECT_LT(window.largestError, 1.5);

    const Accuracy exact = MeasureAccuracy(Table(1024, "float32", AngleMode::Exact));
    EXPECT_EQ(exact.correctlyRounded, 256);
    EXPECT_LE(exact.largestError, 0.5);  // correct rounding: never beyond half an ulp
    EXPECT_LT(exact.rmsError, exact.largestError);

    const SineTable fixed = Table(1024, "fixed:16");
    const std::string text = ReportText(MeasureAccuracy(fixed), fixed);
    EXPECT_NE(text.find(Printf(_("  words: %lld\n"), 256LL)), std::string::npos) << text;
    EXPECT_NE(text.find(" LSB, RMS: "), std::string::npos) << text;
    EXPECT_NE(text.find(Printf(_("  SFDR of the full period: %.2f dBc\n"), 0.0).substr(0, 12)), std::string::npos)
        << text;
}

// Where the window's angle costs correct rounding, the report says so and
// names the remedy; at the exact angle it has nothing to say.
TEST(Report, SaysWhatTheWindowsAngleCosts)
{
    const auto hint = [](long long missed, long long words) {
        return Printf(Plural("  %llu of %lld words is not the correct rounding of its true value at the window's "
                             "angle: --angle exact gives all\n",
                             "  %llu of %lld words are not the correct rounding of their true value at the "
                             "window's angle: --angle exact gives all\n",
                             static_cast<unsigned long long>(missed)),
                      static_cast<unsigned long long>(missed), words);
    };
    // The window's full period of N = 1024 at 16 bits misses two words, its quarter none.
    const SineTable full = Table(1024, "fixed:16", AngleMode::Window, Span::Full);
    EXPECT_NE(ReportText(MeasureAccuracy(full), full).find(hint(2, 1024)), std::string::npos);
    const SineTable window = Table(1024, "float32");
    EXPECT_NE(ReportText(MeasureAccuracy(window), window).find(hint(65, 256)), std::string::npos);
    for (const SineTable& table : {Table(1024, "fixed:16"), Table(1024, "fixed:16", AngleMode::Exact, Span::Full)})
        EXPECT_EQ(ReportText(MeasureAccuracy(table), table).find("--angle exact"), std::string::npos);
}

// The unit is the ulp at the larger of |ideal| and |word|, with the rational
// ideals (0, ±½, ±1) taken exactly.
TEST(Report, ErrorsAtZeroHalfAndOneMeanWhatTheySay)
{
    // N = 12, half span: 5 × float(π/6) is 7.3e-8 past 150°, where the sine is
    // 0.5 - 6.3e-8, rounded to 0.5 - 2^-24: one ulp of ½ off the exact ½. With
    // the double 0.49999999999999994 as the ideal this read 2 ulp.
    const Accuracy half = MeasureAccuracy(Table(12, "float32", AngleMode::Window, Span::Half));
    EXPECT_EQ(half.largestError, 1.0);
    EXPECT_DOUBLE_EQ(half.largestAbsoluteError, std::ldexp(1.0, -24));

    // N = 1024, full span: the window's word at 180° is sin(512 × rad_step),
    // about -8.7e-8 for an ideal 0. Measured in subnormals that was 6e37 ulp;
    // at the word's own magnitude it is below 2^24, the absolute error below 2e-7.
    const Accuracy window = MeasureAccuracy(Table(1024, "float32", AngleMode::Window, Span::Full));
    EXPECT_GT(window.largestError, 1e6);
    EXPECT_LT(window.largestError, std::ldexp(1.0, 24));
    EXPECT_LT(window.largestAbsoluteError, 2e-7);
    // The exact angle puts +0 at 180° and 360°, ±1 at 90° and 270°, ±½ at 30°...
    for (const std::int32_t n : {12, 24, 1024}) {
        const Accuracy exact = MeasureAccuracy(Table(n, "float32", AngleMode::Exact, Span::Full));
        EXPECT_LE(exact.largestError, 0.5) << n;
        EXPECT_EQ(exact.correctlyRounded, n);
    }
}

TEST(Report, ThatCannotBeWrittenFails)
{
    const std::string command = std::string(LUMIRO_COE) + " 16 --report >/dev/null 2>/dev/full";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

}  // namespace
}  // namespace lumiro::coe::testing
