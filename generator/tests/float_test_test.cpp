// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_window.h"

namespace lumiro::testing {
namespace {

const std::string kHeading = "\nPodana (dziesiętnie) liczba float:\n";
const std::string kCaption = "Postac binarna liczby float (32-bit) - IEEE-754 Single Precision :\n";

class FloatTest : public ::testing::Test {
protected:
    FakeWindow window;

    std::vector<std::string> Report(const std::string& typed)
    {
        window.fields[Field::Edit4] = typed;
        const std::size_t before = window.output.size();
        window.Button3Click();
        return {window.output.begin() + static_cast<std::ptrdiff_t>(before), window.output.end()};
    }
};

TEST_F(FloatTest, OneIsReportedBelowWhatTheAreaHeld)
{
    window.output = {"", "typed by the user"};
    const auto report = Report("1");

    EXPECT_EQ(report, (std::vector<std::string>{
                          kHeading, "1", " ", kCaption,
                          RowOf("00111111100000000000000000000000")}));
    EXPECT_EQ(window.output[1], "typed by the user");
}

TEST_F(FloatTest, RowFormFollowsTheWord)
{
    EXPECT_EQ(Report("-2").back(), RowOf("11000000000000000000000000000000"));
    EXPECT_EQ(Report("0").back(), RowOf(std::string(32, '0')));
    EXPECT_EQ(Report("-0").back(), RowOf("1" + std::string(31, '0')));
    // The single nearest to one tenth, 0x3DCCCCCD, not the double's leading bits.
    EXPECT_EQ(Report("0,1").back(), RowOf("00111101110011001100110011001101"));
    EXPECT_EQ(Report("3.4028235e38").back(), RowOf("0111111101111111111111111111111" "1"));
}

TEST_F(FloatTest, EchoesTheTextExactlyAsTyped)
{
    EXPECT_EQ(Report("  1,50  ")[1], "  1,50  ");
    const std::string tiny = "0." + std::string(5000, '0') + "1";
    const auto report = Report(tiny);
    EXPECT_EQ(report[1], tiny);
    EXPECT_EQ(report.back(), RowOf(std::string(32, '0')));
}

TEST_F(FloatTest, EachPressAppendsAWholeReport)
{
    Report("1");
    Report("2");
    EXPECT_EQ(window.output.size(), 1U + 10U);
    EXPECT_EQ(window.output[7], "2");
}

TEST_F(FloatTest, LeavesTableValuesAndProgressAlone)
{
    window.FormActivate();
    window.calls.clear();
    Report("1");
    for (const std::string& call : window.calls)
        EXPECT_EQ(call, "append");
    EXPECT_EQ(window.div360, 1024);
}

class RejectedFloat : public FloatTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(RejectedFloat, AppendsNothing)
{
    window.FormActivate();
    window.output = {"", "kept"};
    window.fields[Field::Edit4] = GetParam();
    const WindowState before = window.State();

    EXPECT_THROW(window.Button3Click(), Exception);
    EXPECT_EQ(window.State(), before);
}

INSTANTIATE_TEST_SUITE_P(Texts, RejectedFloat,
                         ::testing::Values("", "abc", "inf", "nan", "1e39", "-1e39", "1.000,5",
                                           "0x1p3"));

TEST(RowWriter, EveryRowIsSixtyFiveCharacters)
{
    FakeWindow window;
    window.output.clear();
    for (std::uint32_t word : {0x00000000U, 0xFFFFFFFFU, 0x80000000U, 0x00000001U, 0x3F800000U}) {
        window.fpfrc_bin(word);
    }
    ASSERT_EQ(window.output.size(), 5U);
    EXPECT_EQ(window.output[0], RowOf(std::string(32, '0')));
    EXPECT_EQ(window.output[1], RowOf(std::string(32, '1')));
    EXPECT_EQ(window.output[2], RowOf("1" + std::string(31, '0')));
    EXPECT_EQ(window.output[3], RowOf(std::string(31, '0') + "1"));
    EXPECT_EQ(window.output[4], RowOf("0" "0" "1111111" + std::string(23, '0')));
    for (const std::string& row : window.output) {
        EXPECT_EQ(row.size(), 65U);
        EXPECT_EQ(row.substr(63), " ,");
    }
}

}  // namespace
}  // namespace lumiro::testing
