// SPDX-License-Identifier: GPL-3.0-or-later
// Number texts: the conversions the generator and the window share.
//
// Accepted input, so that the window and its messages can state it:
//   StrToInt   [blanks] [+|-] digits [blanks], within the signed 32-bit range.
//   StrToFloat [blanks] [+|-] mantissa [e|E [+|-] digits] [blanks], where the mantissa
//              is digits with at most one '.' or ',' and at least one digit.
// Blanks are spaces and tabs; digits are ASCII 0-9 only. Anything else is refused
// with an Exception whose Polish message quotes the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace lumiro {

// Every failure the user should see: the message is shown as it stands.
class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::int32_t StrToInt(std::string_view text);

// The integer a text of StrToInt's form denotes, of any length, as plain
// decimal cut after 40 digits; nothing for other texts.
std::optional<std::string> IntegerText(std::string_view text);

// Rounds the decimal text once, straight to single precision: going through a
// double first could round twice and miss the nearest single. A value that rounds
// beyond the largest finite single is refused; one below the smallest becomes a
// subnormal or a signed zero, as IEEE-754 rounding gives.
float StrToFloat(std::string_view text);

std::string IntToStr(std::int32_t value);

// The shortest text that reads back as the same double, '.' as the separator,
// in printf's %g style: "0", "1", "0.0001", "1e-05", "1.4980281e-06".
std::string FloatToStr(double value);

// Longest texts the two writers below can produce; each one fits its buffer.
inline constexpr std::size_t kIntChars = 11;    // "-2147483648"
inline constexpr std::size_t kFloatChars = 24;  // "-2.2250738585072014e-308"

// Allocation-free forms for the table loop; they return the end of what they wrote.
char* WriteInt(char* out, std::int32_t value);
char* WriteFloat(char* out, double value);

// Where a message quotes what the user typed: long texts are cut, so that a
// pasted page does not become a screen-filling message box. Control characters
// become U+FFFD, invisible and reordering ones "<U+200B>", and the text is
// isolated (U+2068 … U+2069) so that it cannot reorder the message around it.
inline constexpr std::size_t kQuotedCodePoints = 40;
std::string QuoteInput(std::string_view text, std::size_t maxCodePoints = kQuotedCodePoints);
// The text plainly in quotes, as grep finds it, where it is valid UTF-8 of
// printable characters written left to right; else as QuoteInput does.
std::string QuoteWhereNeeded(std::string_view text, std::size_t maxCodePoints = kQuotedCodePoints);

}  // namespace lumiro
