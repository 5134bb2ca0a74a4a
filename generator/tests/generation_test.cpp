// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "fake_window.h"

namespace lumiro::testing {
namespace {

const std::string kHeading =
    "\nWygenerowana tablica funkcji sinus. Kąt w radianach, wartosc sinus dziesietnie:\n";
const std::string kSeparator = "\n" + std::string(112, '-') + "\n";
const std::string kCaption =
    "Ponizej funkcja sinus wygenerowana w postaci pliku coe dla generatora BRAM Xilinx'a:";
const std::string kRadix = "memory_initialization_radix=2;";
const std::string kVector = "memory_initialization_vector=";
const std::string kZeroRow = RowOf(std::string(32, '0'));

std::uint32_t DecodeRow(const std::string& row)
{
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < 32; ++i)
        word = (word << 1) | (row[2 * i] == '1' ? 1U : 0U);
    return word;
}

class Generation : public ::testing::Test {
protected:
    FakeWindow window;

    void SetUp() override { window.FormActivate(); }

    void Confirm(const std::string& text)
    {
        window.fields[Field::Edit1] = text;
        window.Button1Click();
    }
};

TEST_F(Generation, DefaultTableLayout)
{
    window.Button2Click();
    const auto& out = window.output;

    ASSERT_EQ(out.size(), 517U);
    EXPECT_EQ(out[0], kHeading);
    EXPECT_EQ(out[1], "i=0\tKąt=0\tsinus=0");
    EXPECT_EQ(out[256].rfind("i=255\tKąt=", 0), 0U);
    EXPECT_EQ(out[257], kSeparator);
    EXPECT_EQ(out[258], kCaption);
    EXPECT_EQ(out[259], kRadix);
    EXPECT_EQ(out[260], kVector);
    EXPECT_EQ(out[261], kZeroRow);
    for (std::size_t row = 261; row < 517; ++row) {
        ASSERT_EQ(out[row].size(), 65U) << row;
        EXPECT_EQ(out[row].back(), ',');
        EXPECT_EQ(out[row].find(';'), std::string::npos);
    }
}

TEST_F(Generation, RowsCarryTheListedValuesOfTheSineQuarter)
{
    window.Button2Click();
    const auto& out = window.output;
    float previous = -1.0F;
    for (int i = 0; i < 256; ++i) {
        const std::string& listing = out[1 + static_cast<std::size_t>(i)];
        const std::string prefix = "i=" + std::to_string(i) + "\tKąt=";
        ASSERT_EQ(listing.rfind(prefix, 0), 0U) << listing;

        const std::size_t sineAt = listing.find("\tsinus=") + 7;
        double listed = 0;
        std::from_chars(listing.data() + sineAt, listing.data() + listing.size(), listed);
        const float value = std::bit_cast<float>(DecodeRow(out[261 + static_cast<std::size_t>(i)]));

        EXPECT_EQ(static_cast<double>(value), listed) << "passes disagree at " << i;
        EXPECT_NEAR(value, std::sin(i * std::numbers::pi / 512), 1e-7) << i;
        EXPECT_GT(value, previous) << "the quarter rises strictly at " << i;
        previous = value;
    }
    EXPECT_LT(previous, 1.0F) << "90 degrees is never sampled";
}

TEST_F(Generation, EightDivisionsGiveTwoSamples)
{
    window.fields[Field::Edit1] = "8";
    window.Button1Click();
    window.Button2Click();

    // sin(π/4 + 2.19e-8) = 0.70710679664..., nearest single 0x3F3504F3
    // (0.707106769084930419921875; the next one up, ...8286895752, is farther).
    const std::vector<std::string> expected{
        kHeading,
        "i=0\tKąt=0\tsinus=0",
        "i=1\tKąt=0.7853981852531433\tsinus=0.7071067690849304",
        kSeparator,
        kCaption,
        kRadix,
        kVector,
        kZeroRow,
        RowOf("00111111001101010000010011110011"),
    };
    EXPECT_EQ(window.output, expected);
}

TEST_F(Generation, NoSamplesBelowFourDivisions)
{
    for (const char* count : {"1", "2", "3"}) {
        Confirm(count);
        window.Button2Click();
        EXPECT_EQ(window.output,
                  (std::vector<std::string>{kHeading, kSeparator, kCaption, kRadix, kVector}))
            << count;
    }
}

TEST_F(Generation, ProgressRunsTwiceAndReturnsToZero)
{
    Confirm("16");
    window.calls.clear();
    window.Button2Click();

    ASSERT_GE(window.calls.size(), 3U);
    EXPECT_EQ(window.calls[0], "pos 0");
    EXPECT_EQ(window.calls[1], "clear");
    const std::vector<int> pass{0, 1, 2, 3};
    std::vector<int> expected{0};
    expected.insert(expected.end(), pass.begin(), pass.end());
    expected.push_back(0);
    expected.insert(expected.end(), pass.begin(), pass.end());
    expected.push_back(0);
    EXPECT_EQ(window.Positions(), expected);
    EXPECT_EQ(window.calls.back(), "pos 0");
}

TEST_F(Generation, ReplacesWhatTheAreaHeld)
{
    window.output = {"typed by the user"};
    window.Button2Click();
    const std::vector<std::string> first = window.output;
    window.Button2Click();

    EXPECT_EQ(window.output, first);
    EXPECT_EQ(first.size(), 517U);
    EXPECT_EQ(first.front(), kHeading);
}

TEST_F(Generation, UsesOnlyConfirmedValues)
{
    window.fields[Field::Edit1] = "8";  // typed, never confirmed
    window.Button2Click();
    EXPECT_EQ(window.output.size(), 517U);
}

TEST_F(Generation, LargestTableHasItsLastSampleJustBelowOne)
{
    Confirm("4194304");
    window.Button2Click();

    ASSERT_EQ(window.output.size(), 2U * 1048576 + 5);
    const float last = std::bit_cast<float>(DecodeRow(window.output.back()));
    // The last angle lies 1.45e-6 below π/2: its sine, 1 - 1.06e-12, rounds to 1.0f.
    EXPECT_EQ(last, 1.0F);
    EXPECT_EQ(window.output[1048576].rfind("i=1048575\tKąt=", 0), 0U);
}

TEST_F(Generation, SizeHintBoundsTheTextClosely)
{
    // The window reserves the document once from the hint: too small costs a
    // copy of the whole table, too large memory that is never used.
    for (const char* count : {"4", "8", "1024", "4194304"}) {
        Confirm(count);
        window.Button2Click();
        std::size_t bytes = 0;
        for (const std::string& entry : window.output)
            bytes += entry.size() + 1;
        EXPECT_LE(bytes, window.expectedBytes) << count;
        EXPECT_LE(window.expectedBytes, bytes + bytes / 10 + 512) << count;
    }
}

}  // namespace
}  // namespace lumiro::testing
