// SPDX-License-Identifier: GPL-3.0-or-later
#include "format.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "scratch.h"
#include "window_table.h"
#include "coe_checker.h"
#include "memory_stream.h"
#include "row_of.h"
#include "table.h"

namespace lumiro::coe {

// Test names that say the radix, not its bytes.
void PrintTo(Radix radix, std::ostream* os)
{
    *os << "radix " << static_cast<int>(radix);
}

namespace testing {
namespace {

using lumiro::testing::WindowTable;

using lumiro::testing::Lines;
using lumiro::testing::RowOf;

std::string Table(std::int32_t divisions, std::string_view format, Radix radix = Radix::Binary,
                  std::string name = "lumiro_sine")
{
    const SineTable table = WindowTable(divisions);
    return Capture([&](std::FILE* out) {
        FindFormat(format)->write(out, Request{table, radix, std::move(name)});
    });
}

// The first line of every format that carries a comment, without its comment marks.
std::string DescriptionOf(std::int32_t divisions)
{
    return Description(WindowTable(divisions));
}

std::uint32_t Expected(std::int32_t divisions, std::int32_t index)
{
    return WordOf(SineSample(index, RadStep(divisions)));
}

// sin(π/4 + 2.2e-8) rounds to the single 0x3F3504F3; sin(0) is +0.
const char* const kEightSecondWord = "00111111001101010000010011110011";

TEST(CoeOutput, EightDivisionsAsTheVendorWritesIt)
{
    const std::string comment = "; " + DescriptionOf(8) + "\n";
    EXPECT_EQ(Table(8, "coe"), comment + "memory_initialization_radix=2;\n"
                                                 "memory_initialization_vector=\n"
                                                 "00000000000000000000000000000000,\n" +
                                         kEightSecondWord + ";\n");
    EXPECT_EQ(Table(8, "coe", Radix::Hex), comment + "memory_initialization_radix=16;\n"
                                                 "memory_initialization_vector=\n"
                                                 "00000000,\n"
                                                 "3F3504F3;\n");
}

// N is the parts of the turn, not the depth: a file's comment says how many words it holds.
TEST(Formats, EveryCommentStatesTheNumberOfWords)
{
    for (const auto& [span, words] : {std::pair{Span::Quarter, "Q = 16 words"}, std::pair{Span::Full, ", 64 words"}}) {
        TableShape shape;
        shape.divisions = 64;
        shape.span = span;
        const SineTable table(shape);
        for (const Format& format : Formats()) {
            const std::string text =
                Capture([&](std::FILE* out) { format.write(out, Request{table, Radix::Binary, "rom"}); });
            const std::size_t comment = text.find("Lumiro ");
            if (comment == std::string::npos)
                continue;  // a format without comments (Intel HEX, $readmem)
            EXPECT_NE(text.substr(comment, text.find('\n', comment) - comment).find(words), std::string::npos)
                << format.name << ": " << text.substr(0, 200);
        }
    }
}

class CoeReadsBack : public ::testing::TestWithParam<std::tuple<std::int32_t, Radix>> {};

TEST_P(CoeReadsBack, EveryWordIsTheSample)
{
    const auto [divisions, radix] = GetParam();
    std::string error;
    const CoeFile file = ReadCoe(Table(divisions, "coe", radix), error);
    ASSERT_EQ(error, "");
    ASSERT_EQ(file.radix, static_cast<int>(radix));
    ASSERT_EQ(file.values.size(), static_cast<std::size_t>(divisions / 4));
    const std::size_t digits = radix == Radix::Hex ? 8 : 32;
    for (std::size_t i = 0; i < file.values.size(); ++i) {
        ASSERT_EQ(file.values[i].size(), digits) << i;
        EXPECT_EQ(std::stoul(file.values[i], nullptr, static_cast<int>(radix)),
                  Expected(divisions, static_cast<std::int32_t>(i)))
            << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, CoeReadsBack,
                         ::testing::Combine(::testing::Values(4, 8, 1024, 65536),
                                            ::testing::Values(Radix::Binary, Radix::Hex)));

TEST(CoeOutput, TheWindowsBlockDoesNotLoadAsIs)
{
    // Why this program exists: the rows the window shows are for reading.
    const std::string listing = Table(1024, "listing");
    const std::string block = listing.substr(listing.find("memory_initialization_radix"));
    std::string error;
    ReadCoe(block, error);
    EXPECT_NE(error, "");
}

TEST(CoeChecker, ReadsTheVendorsLayoutAndRefusesBrokenFiles)
{
    std::string error;
    const CoeFile file = ReadCoe("; a comment line\n"
                                 "Memory_Initialization_Radix = 16; trailing comment\n"
                                 "MEMORY_INITIALIZATION_VECTOR =\n"
                                 "0a1b, 2C3D\n"
                                 "4e5f ;  the end\n",
                                 error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(file.values, (std::vector<std::string>{"0a1b", "2C3D", "4e5f"}));

    for (const char* broken : {"memory_initialization_radix=2;\nmemory_initialization_vector=0,1,\n",
                               "memory_initialization_radix 2;\nmemory_initialization_vector=0;\n",
                               "memory_initialization_radix=3;\nmemory_initialization_vector=0;\n",
                               "memory_initialization_radix=2;\nmemory_initialization_vector=012;\n",
                               "memory_initialization_vector=0;\n", ""}) {
        ReadCoe(broken, error);
        EXPECT_NE(error, "") << broken;
    }
}

TEST(MemOutput, OneWordALineAndNothingElse)
{
    EXPECT_EQ(Table(8, "mem"), std::string(32, '0') + "\n" + kEightSecondWord + "\n");
    EXPECT_EQ(Table(8, "mem", Radix::Hex), "00000000\n3F3504F3\n");
    const auto lines = Lines(Table(65536, "mem", Radix::Hex));
    ASSERT_EQ(lines.size(), 16384U);
    EXPECT_EQ(std::stoul(lines.back(), nullptr, 16), Expected(65536, 16383));
}

TEST(ListingOutput, IsTheWindowsAreaText)
{
    EXPECT_EQ(Table(8, "listing"),
              "\nWygenerowana tablica funkcji sinus. Kąt w radianach, wartosc sinus dziesietnie:\n\n"
              "i=0\tKąt=0\tsinus=0\n"
              "i=1\tKąt=0.7853981852531433\tsinus=0.7071067690849304\n"
              "\n" + std::string(112, '-') + "\n\n"
              "Ponizej funkcja sinus wygenerowana w postaci pliku coe dla generatora BRAM Xilinx'a:\n"
              "memory_initialization_radix=2;\n"
              "memory_initialization_vector=\n" +
                  RowOf(std::string(32, '0')) + "\n" + RowOf(kEightSecondWord) + "\n");
}

TEST(EmptyQuarter, BelowFourDivisions)
{
    for (std::int32_t divisions : {1, 2, 3}) {
        const std::string comment = "; " + DescriptionOf(divisions) + "\n";
        EXPECT_EQ(Table(divisions, "coe"),
                  comment + "memory_initialization_radix=2;\nmemory_initialization_vector=;\n");
        EXPECT_EQ(Table(divisions, "coe", Radix::Hex),
                  comment + "memory_initialization_radix=16;\nmemory_initialization_vector=;\n");
        EXPECT_EQ(Table(divisions, "mem"), "");
        EXPECT_EQ(Lines(Table(divisions, "listing")).size(), 5U + 4U);  // 4 inner breaks
        std::string error;
        EXPECT_TRUE(ReadCoe(Table(divisions, "coe"), error).values.empty());
        EXPECT_EQ(error, "");
    }
}

}  // namespace
}  // namespace testing
}  // namespace lumiro::coe
