// SPDX-License-Identifier: GPL-3.0-or-later
// StrToInt on any text: what it accepts prints back to the same value and has
// the documented form; what it refuses is refused with our own error.
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "conversions.h"

namespace {

// The documented form, checked by hand: [blanks] [+|-] digits [blanks].
bool HasIntegerForm(std::string_view text, std::int64_t& value)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    while (text.size() > 1 && text.front() == '0')
        text.remove_prefix(1);
    if (text.size() > 11)
        return false;  // beyond any 32-bit value
    std::from_chars(text.data(), text.data() + text.size(), value);
    value = negative ? -value : value;
    return value >= INT32_MIN && value <= INT32_MAX;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::int64_t expected = 0;
    const bool valid = HasIntegerForm(text, expected);
    try {
        const std::int32_t value = lumiro::StrToInt(text);
        if (!valid || value != expected || lumiro::StrToInt(lumiro::IntToStr(value)) != value)
            std::abort();
    } catch (const lumiro::Exception& error) {
        if (valid || std::string_view(error.what()).substr(0, 1) != "'")
            std::abort();
    }
    return 0;
}
