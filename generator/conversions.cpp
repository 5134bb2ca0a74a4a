#include "conversions.h"

#include <charconv>
#include <cmath>
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

}  // namespace

std::string QuoteInput(std::string_view text)
{
    constexpr std::size_t kMaxCodePoints = 40;
    std::string quoted = "'";
    std::size_t codePoints = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool continuation = (byte & 0xC0U) == 0x80U;
        if (!continuation && ++codePoints > kMaxCodePoints) {
            quoted += "…";
            break;
        }
        // Control characters would vanish or break the message box's layout.
        if (byte < 0x20U || byte == 0x7FU)
            quoted += "\uFFFD";
        else
            quoted += text[i];
    }
    quoted += "'";
    return quoted;
}

std::int32_t StrToInt(std::string_view text)
{
    std::string_view number = TrimBlanks(text);
    bool negative = false;
    if (!number.empty() && (number.front() == '+' || number.front() == '-')) {
        negative = number.front() == '-';
        number.remove_prefix(1);
    }
    if (number.empty() || DigitRun(number, 0) != number.size())
        throw Exception(QuoteInput(text) + " nie jest poprawną liczbą całkowitą.");

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
