// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversions.h"

#include <charconv>
#include <cmath>
#include <algorithm>
#include <cstdio>
#include <utility>
#include <cstdint>
#include <system_error>

#include <fast_float/fast_float.h>

namespace lumiro {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Length of the leading run of digits.
std::size_t DigitRun(std::string_view text, std::size_t from)
{
    std::size_t end = from;
    while (end < text.size() && IsDigit(text[end]))
        ++end;
    return end - from;
}

char32_t DecodeUtf8(std::string_view sequence)
{
    const auto lead = static_cast<unsigned char>(sequence[0]);
    const unsigned leadBits[] = {0x7FU, 0x1FU, 0x0FU, 0x07U};
    char32_t c = lead & leadBits[sequence.size() - 1];
    for (std::size_t i = 1; i < sequence.size(); ++i)
        c = (c << 6) | (static_cast<unsigned char>(sequence[i]) & 0x3FU);
    return c;
}

// Bytes of the well-formed UTF-8 sequence at `at`, or 0.
std::size_t Utf8Length(std::string_view text, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    char32_t smallest = 0;
    if (lead < 0x80U)
        return 1;
    if ((lead & 0xE0U) == 0xC0U) {
        length = 2;
        smallest = 0x80;
    } else if ((lead & 0xF0U) == 0xE0U) {
        length = 3;
        smallest = 0x800;
    } else if ((lead & 0xF8U) == 0xF0U) {
        length = 4;
        smallest = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0U) != 0x80U)
            return 0;
    const char32_t c = DecodeUtf8(text.substr(at, length));
    const bool surrogate = c >= 0xD800 && c <= 0xDFFF;
    return c < smallest || c > 0x10FFFF || surrogate ? 0 : length;
}

bool IsControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// Characters that reorder text or cannot be seen: a quoted "1<U+200B>5" must
// not pass for "15".
bool IsHiddenOrReordering(char32_t c)
{
    constexpr std::pair<char32_t, char32_t> kRanges[] = {
        {0x00A0, 0x00A0}, {0x00AD, 0x00AD}, {0x0300, 0x036F},
        {0x061C, 0x061C}, {0x115F, 0x1160}, {0x1680, 0x1680}, {0x17B4, 0x17B5},
        {0x180B, 0x180F}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x2000, 0x200F},
        {0x2028, 0x202F}, {0x205F, 0x206F}, {0x20D0, 0x20FF}, {0x3000, 0x3000},
        {0x3164, 0x3164}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF},
        {0xFFA0, 0xFFA0}, {0xFFF9, 0xFFFB}, {0xE0000, 0xE0FFF}};
    for (const auto& [first, last] : kRanges)
        if (c >= first && c <= last)
            return true;
    return false;
}

std::string VisibleName(char32_t c)
{
    char name[16];
    const int length = std::snprintf(name, sizeof name, "<U+%04X>", static_cast<unsigned>(c));
    return {name, static_cast<std::size_t>(length)};
}

}  // namespace

std::string QuoteInput(std::string_view text, std::size_t maxCodePoints)
{
    // Isolated, so that nothing typed can reorder the message around it.
    std::string quoted = "'\u2068";
    std::size_t codePoints = 0;
    for (std::size_t at = 0; at < text.size();) {
        if (++codePoints > maxCodePoints) {
            quoted += "…";
            break;
        }
        const std::size_t length = Utf8Length(text, at);
        if (length == 0) {  // not UTF-8: one byte stands for itself as U+FFFD
            quoted += "\uFFFD";
            ++at;
            continue;
        }
        const char32_t c = DecodeUtf8(text.substr(at, length));
        if (IsControl(c))
            quoted += "\uFFFD";  // would vanish, or drive the terminal
        else if (IsHiddenOrReordering(c))
            quoted += VisibleName(c);
        else
            quoted += text.substr(at, length);
        at += length;
    }
    quoted += "\u2069'";
    return quoted;
}

namespace {

// Letters written right to left: Hebrew, Arabic, Syriac, Thaana, N'Ko and the
// rest of their blocks, and the historic scripts above U+10800.
bool IsRightToLeft(char32_t c)
{
    return (c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) ||
           (c >= 0xFE70 && c <= 0xFEFF) || (c >= 0x10800 && c <= 0x10FFF) ||
           (c >= 0x1E800 && c <= 0x1EFFF);
}

}  // namespace

std::string QuoteWhereNeeded(std::string_view text, std::size_t maxCodePoints)
{
    std::size_t codePoints = 0;
    for (std::size_t at = 0; at < text.size(); ++codePoints) {
        const std::size_t length = Utf8Length(text, at);
        if (length == 0 || codePoints >= maxCodePoints)
            return QuoteInput(text, maxCodePoints);
        const char32_t c = DecodeUtf8(text.substr(at, length));
        if (IsControl(c) || IsHiddenOrReordering(c) || IsRightToLeft(c))
            return QuoteInput(text, maxCodePoints);
        at += length;
    }
    std::string quoted = "'";
    quoted.append(text).append("'");
    return quoted;
}

namespace {

// [blanks] [+|-] digits [blanks]: the sign and the digits, or nothing.
struct SignedDigits {
    bool negative;
    std::string_view digits;
};

std::optional<SignedDigits> SplitInteger(std::string_view text)
{
    std::string_view number = TrimBlanks(text);
    bool negative = false;
    if (!number.empty() && (number.front() == '+' || number.front() == '-')) {
        negative = number.front() == '-';
        number.remove_prefix(1);
    }
    if (number.empty() || DigitRun(number, 0) != number.size())
        return std::nullopt;
    return SignedDigits{negative, number};
}

}  // namespace

std::int32_t StrToInt(std::string_view text)
{
    const auto integer = SplitInteger(text);
    if (!integer)
        throw Exception(QuoteInput(text) + " nie jest poprawną liczbą całkowitą.");
    const auto [negative, number] = *integer;

    // Magnitude of INT32_MIN; checked at every digit, so a long run cannot overflow.
    constexpr std::int64_t kLimit = std::int64_t{1} << 31;
    std::int64_t magnitude = 0;
    for (char c : number) {
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > kLimit)
            break;
    }
    if (magnitude > (negative ? kLimit : kLimit - 1))
        throw Exception(QuoteInput(text) +
                        " nie jest poprawną liczbą całkowitą (dozwolony zakres: "
                        "od -2147483648 do 2147483647).");
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::optional<std::string> IntegerText(std::string_view text)
{
    const auto integer = SplitInteger(text);
    if (!integer)
        return std::nullopt;
    const bool negative = integer->negative;
    std::string_view number = integer->digits;
    number.remove_prefix(std::min(number.find_first_not_of('0'), number.size() - 1));
    std::string plain = negative && number != "0" ? "-" : "";
    constexpr std::size_t kShownDigits = 40;
    plain += number.substr(0, kShownDigits);
    if (number.size() > kShownDigits)
        plain += "…";
    return plain;
}

float StrToFloat(std::string_view text)
{
    const std::string_view number = TrimBlanks(text);
    const auto reject = [&] {
        return Exception(QuoteInput(text) + " nie jest poprawną liczbą zmiennoprzecinkową.");
    };

    // The grammar is checked here; fast_float would also take "inf", "nan" and
    // more than we state.
    std::size_t at = 0;
    if (at < number.size() && (number[at] == '+' || number[at] == '-'))
        ++at;
    const std::size_t mantissaStart = number.starts_with('+') ? 1 : 0;  // fast_float takes no '+'
    std::size_t digits = DigitRun(number, at);
    at += digits;
    char point = '.';
    if (at < number.size() && (number[at] == '.' || number[at] == ',')) {
        point = number[at++];
        const std::size_t fraction = DigitRun(number, at);
        digits += fraction;
        at += fraction;
    }
    if (digits == 0)
        throw reject();
    if (at < number.size() && (number[at] == 'e' || number[at] == 'E')) {
        ++at;
        if (at < number.size() && (number[at] == '+' || number[at] == '-'))
            ++at;
        const std::size_t exponentDigits = DigitRun(number, at);
        if (exponentDigits == 0)
            throw reject();
        at += exponentDigits;
    }
    if (at != number.size())
        throw reject();

    // Rounded once, to nearest with ties to even, straight from the decimal
    // digits; fast_float's rounding is exact by design and does not depend on
    // the C++ runtime. Beyond the largest single it gives infinity, below the
    // smallest subnormal a signed zero.
    float value = 0.0F;
    const char* const first = number.data() + mantissaStart;
    const char* const last = number.data() + number.size();
    const auto result = fast_float::from_chars_advanced(
        first, last, value, fast_float::parse_options{fast_float::chars_format::general, point});
    if (result.ec != std::errc{} || result.ptr != last)
        throw reject();
    if (std::isinf(value))
        throw Exception(QuoteInput(text) +
                        " leży poza zakresem liczby float (największa wartość to 3.4028235e+38).");
    return value;
}

char* WriteInt(char* out, std::int32_t value)
{
    return std::to_chars(out, out + kIntChars, value).ptr;
}

char* WriteFloat(char* out, double value)
{
    return std::to_chars(out, out + kFloatChars, value, std::chars_format::general).ptr;
}

std::string IntToStr(std::int32_t value)
{
    char buffer[kIntChars];
    return {buffer, WriteInt(buffer, value)};
}

std::string FloatToStr(double value)
{
    char buffer[kFloatChars];
    return {buffer, WriteFloat(buffer, value)};
}

}  // namespace lumiro
