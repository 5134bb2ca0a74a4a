#include "conversions.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <system_error>

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

    // Rebuilt in the one form std::from_chars takes: [-]digits[.digits][e[-]digits].
    std::string plain;
    plain.reserve(number.size() + 1);
    std::size_t at = 0;
    bool negative = false;
    if (at < number.size() && (number[at] == '+' || number[at] == '-')) {
        negative = number[at] == '-';
        ++at;
    }
    if (negative)
        plain += '-';

    const std::size_t intStart = at;
    const std::size_t intDigits = DigitRun(number, at);
    at += intDigits;
    std::size_t fracStart = at;
    std::size_t fracDigits = 0;
    if (at < number.size() && (number[at] == '.' || number[at] == ',')) {
        fracStart = ++at;
        fracDigits = DigitRun(number, at);
        at += fracDigits;
    }
    if (intDigits + fracDigits == 0)
        throw reject();
    plain += intDigits > 0 ? number.substr(intStart, intDigits) : "0";
    if (fracDigits > 0) {
        plain += '.';
        plain += number.substr(fracStart, fracDigits);
    }

    // Decimal exponent, saturated: only its sign matters once it is this large.
    constexpr std::int64_t kSaturated = std::int64_t{1} << 50;
    std::int64_t exponent = 0;
    if (at < number.size() && (number[at] == 'e' || number[at] == 'E')) {
        ++at;
        bool negativeExponent = false;
        if (at < number.size() && (number[at] == '+' || number[at] == '-')) {
            negativeExponent = number[at] == '-';
            ++at;
        }
        const std::size_t expDigits = DigitRun(number, at);
        if (expDigits == 0)
            throw reject();
        for (char c : number.substr(at, expDigits))
            exponent = std::min(exponent * 10 + (c - '0'), kSaturated);
        at += expDigits;
        if (negativeExponent)
            exponent = -exponent;
        plain += 'e';
        plain += std::to_string(exponent);
    }
    if (at != number.size())
        throw reject();

    float value = 0.0F;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error == std::errc{} && end == plain.data() + plain.size())
        return value;
    if (error != std::errc::result_out_of_range)
        throw reject();

    // from_chars says "out of range" both above the largest single and below the
    // smallest subnormal; the place of the first significant digit tells which.
    std::string_view digits = plain;
    digits.remove_prefix(negative ? 1 : 0);
    digits = digits.substr(0, digits.find('e'));
    const std::size_t point = digits.find('.');
    const std::size_t wholeDigits = point == std::string_view::npos ? digits.size() : point;
    const std::size_t first = digits.find_first_not_of("0.");
    if (first == std::string_view::npos)
        return negative ? -0.0F : 0.0F;
    const auto place = static_cast<std::int64_t>(wholeDigits) - static_cast<std::int64_t>(first) -
                       (first > wholeDigits ? 0 : 1);
    if (place + exponent < 0)
        return negative ? -0.0F : 0.0F;
    throw Exception(QuoteInput(text) +
                    " leży poza zakresem liczby float (największa wartość to 3.4028235e+38).");
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
