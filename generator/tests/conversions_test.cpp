// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversions.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>

#include "quoted.h"

namespace lumiro {
namespace {

using testing::Quoted;

std::uint32_t BitsOf(float value) { return std::bit_cast<std::uint32_t>(value); }

std::string MessageOf(auto&& call)
{
    try {
        call();
    } catch (const Exception& error) {
        return error.what();
    }
    return "(no error)";
}

// --- StrToInt ---------------------------------------------------------------

struct IntCase {
    const char* text;
    std::int32_t value;
};

// Test names that read as the case: the text and what it gives.
void PrintTo(const IntCase& c, std::ostream* os)
{
    *os << ::testing::PrintToString(c.text) << " is " << c.value;
}

class StrToIntAccepts : public ::testing::TestWithParam<IntCase> {};

TEST_P(StrToIntAccepts, Value)
{
    EXPECT_EQ(StrToInt(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Texts, StrToIntAccepts,
                         ::testing::Values(IntCase{"0", 0}, IntCase{"1024", 1024},
                                           IntCase{"+7", 7}, IntCase{"-5", -5},
                                           IntCase{"  12  ", 12}, IntCase{"\t3\t", 3},
                                           IntCase{"000123", 123},
                                           IntCase{"2147483647", 2147483647},
                                           IntCase{"-2147483648", -2147483647 - 1},
                                           IntCase{"-0", 0}));

class StrToIntRejects : public ::testing::TestWithParam<std::string> {};

TEST_P(StrToIntRejects, WithPolishMessageQuotingTheText)
{
    const std::string message = MessageOf([] { StrToInt(GetParam()); });
    EXPECT_NE(message.find("nie jest poprawną liczbą całkowitą"), std::string::npos) << message;
    EXPECT_EQ(message.rfind(Quoted(GetParam()), 0), 0U) << message;
}

INSTANTIATE_TEST_SUITE_P(Texts, StrToIntRejects,
                         ::testing::Values("", "   ", "abc", "12abc", "0x10", "1 2", "+", "-",
                                           "--1", "+-1", "1.0", "1,0", "1e3", "2147483648",
                                           "-2147483649", "99999999999999999999",
                                           "\xD9\xA1\xD9\xA2",  // Arabic-Indic "12"
                                           "\xEF\xBC\x91",      // fullwidth "1"
                                           "ą"));

TEST(StrToInt, OutOfRangeMessageGivesTheRange)
{
    EXPECT_EQ(MessageOf([] { StrToInt("2147483648"); }),
              Quoted("2147483648") + " nie jest poprawną liczbą całkowitą (dozwolony zakres: "
              "od -2147483648 do 2147483647).");
    EXPECT_EQ(MessageOf([] { StrToInt("abc"); }), Quoted("abc") + " nie jest poprawną liczbą całkowitą.");
}

TEST(StrToInt, LongRunsAreRefusedWithoutOverflow)
{
    EXPECT_THROW(StrToInt(std::string(32000, '9')), Exception);
    EXPECT_THROW(StrToInt(std::string(32000, ' ')), Exception);
    EXPECT_EQ(StrToInt(std::string(32000, '0') + "42"), 42);
}

TEST(QuoteInput, CutsLongTextsAndMasksControlCharacters)
{
    EXPECT_EQ(QuoteInput(std::string(100, '7')), Quoted(std::string(40, '7') + "…"));
    // Forty two-byte letters stay whole; the cut never splits a character.
    std::string letters;
    for (int i = 0; i < 41; ++i)
        letters += "ą";
    EXPECT_EQ(QuoteInput(letters), Quoted(letters.substr(0, 80) + "…"));
    EXPECT_EQ(QuoteInput(std::string("1\0" "2\n", 4)), Quoted("1\uFFFD2\uFFFD"));
    // ESC and the one-byte CSI of C1 would reach a terminal as commands.
    EXPECT_EQ(QuoteInput("\x1B[2J\u009B1m"), Quoted("\uFFFD[2J\uFFFD1m"));
    // Bytes that are no UTF-8 at all: a stray continuation, an overlong '/', a surrogate.
    EXPECT_EQ(QuoteInput("\x80" "\xC0\xAF" "\xED\xA0\x80"),
              Quoted("\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"));
}

TEST(QuoteInput, ShowsWhatWouldHideOrReorderTheText)
{
    // Right-to-left override, isolates and marks would mirror the message.
    EXPECT_EQ(QuoteInput("1\u202E5"), Quoted("1<U+202E>5"));
    EXPECT_EQ(QuoteInput("\u2067x\u2069\u200F"), Quoted("<U+2067>x<U+2069><U+200F>"));
    // Invisible or blank-looking: "1<U+200B>5" must not read as "15".
    EXPECT_EQ(QuoteInput("1\u200B5"), Quoted("1<U+200B>5"));
    EXPECT_EQ(QuoteInput("1\u00A05\uFEFF"), Quoted("1<U+00A0>5<U+FEFF>"));
    EXPECT_EQ(QuoteInput("5\u0301"), Quoted("5<U+0301>"));  // combining acute
    // Letters of any script stay as they are.
    EXPECT_EQ(QuoteInput("żółć \u05D0\u0661"), Quoted("żółć \u05D0\u0661"));
}

// --- StrToFloat -------------------------------------------------------------

struct FloatCase {
    const char* text;
    std::uint32_t bits;
};

void PrintTo(const FloatCase& c, std::ostream* os)
{
    *os << ::testing::PrintToString(c.text) << " is 0x" << std::hex << c.bits;
}

class StrToFloatAccepts : public ::testing::TestWithParam<FloatCase> {};

TEST_P(StrToFloatAccepts, NearestSingle)
{
    EXPECT_EQ(BitsOf(StrToFloat(GetParam().text)), GetParam().bits) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StrToFloatAccepts,
    ::testing::Values(
        FloatCase{"1", 0x3F800000}, FloatCase{"-2", 0xC0000000}, FloatCase{"0.1", 0x3DCCCCCD},
        FloatCase{"0,1", 0x3DCCCCCD}, FloatCase{"-0", 0x80000000}, FloatCase{"0", 0x00000000},
        FloatCase{"1,5e3", 0x44BB8000}, FloatCase{" 2.5\t", 0x40200000},
        FloatCase{".5", 0x3F000000}, FloatCase{"5.", 0x40A00000}, FloatCase{"1E2", 0x42C80000},
        FloatCase{"1e+2", 0x42C80000}, FloatCase{"+3", 0x40400000},
        FloatCase{"25e-1", 0x40200000},
        // The largest finite single, 3.40282347e38, is the nearest to these.
        FloatCase{"3.4028235e38", 0x7F7FFFFF}, FloatCase{"-3.4028235e38", 0xFF7FFFFF},
        FloatCase{"3.402823567e38", 0x7F7FFFFF},
        // Just below the midpoint of the largest single and 2^128 = 3.4028236692e38.
        FloatCase{"3.4028235677973366e38", 0x7F7FFFFF},
        // 1 + 2^-24 is the midpoint of 1 and the next single: ties go to even...
        FloatCase{"1.000000059604644775390625", 0x3F800000},
        // ...and a hair above it must round up. Through a double the hair is lost
        // and the tie goes down: the single rounding matters.
        FloatCase{"1.0000000596046447753906250001", 0x3F800001},
        // Below the normal range: subnormals, and zero with its sign.
        FloatCase{"1e-40", 0x000116C2},  // 1e-40 * 2^149 = 71362.38
        FloatCase{"1e-45", 0x00000001}, FloatCase{"1e-50", 0x00000000},
        // 2^-150, half the smallest subnormal, ties to even (zero); a hair above it does not.
        FloatCase{"7.00649232162408535461864791644958065640130970938257885878534141944895541342930300743319094181060791015625e-46", 0x00000000},
        FloatCase{"7.006492321624085354618647916449580656401309709382578858785341419448955413429303007433190941810607910156251e-46", 0x00000001},
        // 3 × 2^-150, the midpoint of the first two subnormals: ties to the even one.
        FloatCase{"2.101947696487225606385594374934874196920392912814773657635602425834686624028790902229957282543182373046875e-45", 0x00000002},
        FloatCase{"-1e-50", 0x80000000}, FloatCase{"7e-46", 0x00000000},  // below 2^-150
        FloatCase{"1e-99999999999999999999", 0x00000000},
        FloatCase{"0e99999999999999999999", 0x00000000}));

TEST(StrToFloat, LongTextsRoundCorrectly)
{
    EXPECT_EQ(BitsOf(StrToFloat(std::string(32000, '0') + "1")), 0x3F800000U);
    EXPECT_EQ(BitsOf(StrToFloat("0." + std::string(32000, '0') + "1")), 0x00000000U);
    EXPECT_EQ(BitsOf(StrToFloat("-0." + std::string(32000, '0') + "1")), 0x80000000U);
    // 1 followed by 32000 zeros, scaled back down by its own length.
    EXPECT_EQ(BitsOf(StrToFloat("1" + std::string(32000, '0') + "e-32000")), 0x3F800000U);
}

class StrToFloatRejects : public ::testing::TestWithParam<std::string> {};

TEST_P(StrToFloatRejects, WithPolishMessageQuotingTheText)
{
    const std::string message = MessageOf([] { StrToFloat(GetParam()); });
    EXPECT_NE(message.find("nie jest poprawną liczbą zmiennoprzecinkową"), std::string::npos)
        << message;
    EXPECT_EQ(message.rfind(Quoted(GetParam()), 0), 0U) << message;
}

INSTANTIATE_TEST_SUITE_P(Texts, StrToFloatRejects,
                         ::testing::Values("", "   ", "abc", "inf", "-inf", "nan", "infinity",
                                           "0x10", "1.000,5", "1,000.5", "1,,5", "1..5", ".",
                                           ",", "-", "e5", "1e", "1e+", "1e5.0", "--1", "1 000",
                                           "12abc", "1.5f", "ą", "\xD9\xA1"));

TEST(StrToFloat, BeyondTheLargestSingleIsRefused)
{
    // The midpoint of the largest single and 2^128 ties to the even 2^128: too large.
    for (const char* text : {"1e39", "-1e39", "3.4028236e38", "1e99999999999999999999",
                             "3.40282356779733661637539395458142568448e38"}) {
        const std::string message = MessageOf([text] { StrToFloat(text); });
        EXPECT_NE(message.find("poza zakresem liczby float"), std::string::npos) << text;
    }
    EXPECT_THROW(StrToFloat(std::string(32000, '9')), Exception);
}

// --- Number texts -----------------------------------------------------------

TEST(FloatToStr, ShortestRoundTripInGeneralNotation)
{
    EXPECT_EQ(FloatToStr(0.0), "0");
    EXPECT_EQ(FloatToStr(1.0), "1");
    EXPECT_EQ(FloatToStr(-0.5), "-0.5");
    EXPECT_EQ(FloatToStr(static_cast<double>(std::bit_cast<float>(0x3BC90FDBU))),
              "0.006135923322290182");
    EXPECT_EQ(FloatToStr(0.0001), "0.0001");
    EXPECT_EQ(FloatToStr(1e-05), "1e-05");
    EXPECT_EQ(FloatToStr(1.4980281e-06), "1.4980281e-06");
    // π/4 in single precision, exactly 0.785398185253143310546875: sixteen digits
    // are within half a double's spacing (2^-54) of it, fifteen are not.
    EXPECT_EQ(FloatToStr(0.785398185253143310546875), "0.7853981852531433");
}

TEST(IntToStr, PlainDecimal)
{
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(256), "256");
    EXPECT_EQ(IntToStr(-1), "-1");
    EXPECT_EQ(IntToStr(-2147483647 - 1), "-2147483648");
}

}  // namespace
}  // namespace lumiro
