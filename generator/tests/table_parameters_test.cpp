// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

#include "fake_window.h"

namespace lumiro::testing {
namespace {

constexpr std::uint32_t kDefaultStepWord = 0x3BC90FDB;

class TableParameters : public ::testing::Test {
protected:
    FakeWindow window;

    void Confirm(const std::string& text)
    {
        window.fields[Field::Edit1] = text;
        window.Button1Click();
    }
};

TEST_F(TableParameters, ActivationSetsTheDefaults)
{
    window.FormActivate();

    EXPECT_EQ(window.div360, 1024);
    EXPECT_EQ(window.val90, 256);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(window.rad_step), kDefaultStepWord);
    EXPECT_EQ(window.fields[Field::Edit1], "1024");
    EXPECT_EQ(window.fields[Field::Edit2], "256");
    EXPECT_EQ(window.fields[Field::Edit3], "0.006135923322290182");
    EXPECT_EQ(window.fields[Field::Edit4], "");
    EXPECT_EQ(window.calls, (std::vector<std::string>{"min 0", "max 256"}));
    EXPECT_EQ(window.output, std::vector<std::string>{""});
}

TEST_F(TableParameters, Confirming1024ReproducesTheDefaults)
{
    window.FormActivate();
    Confirm("8");
    Confirm("1024");

    EXPECT_EQ(window.div360, 1024);
    EXPECT_EQ(window.val90, 256);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(window.rad_step), kDefaultStepWord);
    EXPECT_EQ(window.fields[Field::Edit2], "256");
    EXPECT_EQ(window.fields[Field::Edit3], "0.006135923322290182");
}

TEST_F(TableParameters, Confirming8GivesAQuarterTurnStep)
{
    window.FormActivate();
    window.calls.clear();
    Confirm("8");

    EXPECT_EQ(window.val90, 2);
    EXPECT_EQ(static_cast<double>(window.rad_step), 0.785398185253143310546875);
    EXPECT_EQ(window.fields[Field::Edit2], "2");
    EXPECT_EQ(window.fields[Field::Edit3], "0.7853981852531433");
    EXPECT_EQ(window.calls, (std::vector<std::string>{"min 0", "max 2"}));
    EXPECT_EQ(window.output, std::vector<std::string>{""}) << "confirm must not generate";
}

TEST_F(TableParameters, QuarterCountIsTruncated)
{
    const std::vector<std::pair<std::string, std::int32_t>> cases{
        {"1", 0}, {"2", 0}, {"3", 0}, {"4", 1}, {"7", 1}, {"2048", 512}, {"4194304", 1048576}};
    for (const auto& [text, quarter] : cases) {
        Confirm(text);
        EXPECT_EQ(window.val90, quarter) << text;
        EXPECT_EQ(window.fields[Field::Edit2], std::to_string(quarter)) << text;
        EXPECT_EQ(window.progressMax, quarter) << text;
    }
}

TEST_F(TableParameters, StepOfOneDivisionIsTwoPiInSingle)
{
    Confirm(" +1 ");
    EXPECT_EQ(window.div360, 1);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(window.rad_step), 0x40C90FDBU);
    // 6.283185482025146484375: seventeen digits are needed to read back the same double.
    EXPECT_EQ(window.fields[Field::Edit3], "6.2831854820251465");
}

class RejectedCount : public TableParameters, public ::testing::WithParamInterface<std::string> {};

TEST_P(RejectedCount, ChangesNothingButKeepsTheTypedText)
{
    window.FormActivate();
    Confirm("2048");
    window.fields[Field::Edit1] = GetParam();
    const WindowState before = window.State();
    window.calls.clear();

    EXPECT_THROW(window.Button1Click(), Exception);

    EXPECT_EQ(window.State(), before);
    EXPECT_EQ(window.fields[Field::Edit1], GetParam());
    EXPECT_TRUE(window.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(Texts, RejectedCount,
                         ::testing::Values("", " ", "abc", "12abc", "0x10", "1.5", "0", "-1",
                                           "-2147483648", "4194305", "2147483647",
                                           "2147483648"));

TEST_F(TableParameters, OutOfRangeCountNamesTheAllowedRange)
{
    window.fields[Field::Edit1] = "0";
    try {
        window.Button1Click();
        FAIL() << "0 was accepted";
    } catch (const Exception& error) {
        EXPECT_STREQ(error.what(), "Na ile części podzielić 360 stopni: dozwolone są liczby "
                                   "od 1 do 4194304 (podano 0).");
    }
}

}  // namespace
}  // namespace lumiro::testing
