// SPDX-License-Identifier: GPL-3.0-or-later
#include "format.h"

#include <stdio.h>

#include <algorithm>
#include <charconv>

#include "text.h"

namespace lumiro::coe {
namespace {

std::vector<Format>& Registry()
{
    static std::vector<Format> formats;
    return formats;
}

}  // namespace

bool RegisterFormat(const Format& format)
{
    auto& formats = Registry();
    formats.insert(std::upper_bound(formats.begin(), formats.end(), format,
                                    [](const Format& a, const Format& b) { return a.rank < b.rank; }),
                   format);
    return true;
}

const std::vector<Format>& Formats()
{
    return Registry();
}

std::vector<std::string_view> FormatNames(bool (*has)(const Format&))
{
    std::vector<std::string_view> names;
    for (const Format& format : Registry())
        if (has == nullptr || has(format))
            names.push_back(format.name);
    return names;
}

const Format* FindFormat(std::string_view name)
{
    for (const Format& format : Registry())
        if (format.name == name)
            return &format;
    return nullptr;
}

const Format& DefaultFormat()
{
    for (const Format& format : Registry())
        if (format.isDefault)
            return format;
    return Registry().front();
}

FormatsByName FormatsForFile(std::string_view path)
{
    const std::string lowered = Lowered(path);  // X.COE too
    FormatsByName found;
    for (const Format& format : Registry())
        for (std::string_view extension : format.extensions)
            if (!extension.empty() && lowered.size() > extension.size() && lowered.ends_with(extension))
                found.sharing.push_back(&format);
    for (const Format* format : found.sharing) {
        if (found.sharing.size() > 1 && format->recognises != nullptr)
            continue;
        if (found.chosen != nullptr)
            return {found.sharing, nullptr};
        found.chosen = format;
    }
    return found;
}

std::string_view FunctionWord(Function function)
{
    return function == Function::Cosine ? "cosine" : "sine";
}

std::string DefaultName(const Format& format, Function function)
{
    std::string name(format.defaultName);
    if (const std::size_t at = name.find("sine"); at != std::string::npos)
        name.replace(at, 4, FunctionWord(function));
    return name;
}

std::string_view WordDigits(std::uint32_t word, int width, Radix radix, char (&buffer)[32])
{
    if (radix == Radix::Hex) {
        constexpr char kHex[] = "0123456789ABCDEF";
        const int nibbles = (width + 3) / 4;
        for (int nibble = 0; nibble < nibbles; ++nibble)
            buffer[nibble] = kHex[(word >> (4 * (nibbles - 1 - nibble))) & 0xFU];
        return {buffer, static_cast<std::size_t>(nibbles)};
    }
    for (int bit = 0; bit < width; ++bit)
        buffer[bit] = static_cast<char>('0' + ((word >> (width - 1 - bit)) & 1U));
    return {buffer, static_cast<std::size_t>(width)};
}

std::string_view DecimalText(std::uint32_t word, const WordKind& kind, char (&buffer)[32])
{
    std::int64_t value = word;
    if (kind.family() == WordKind::Family::Fixed && kind.width() > 0 && (word >> (kind.width() - 1)) != 0)
        value -= std::int64_t{1} << kind.width();  // the sign extended
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return {buffer, static_cast<std::size_t>(end - buffer)};
}

std::optional<std::uint32_t> ParseDecimalWord(std::string_view text, int width, int bits)
{
    const bool negative = text.starts_with('-');
    const auto value = ParseDigits(negative ? text.substr(1) : text, 10);
    if (!value)
        return std::nullopt;
    if (!negative)
        return (*value >> bits) == 0 ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(*value)) : std::nullopt;
    if (*value > (std::uint64_t{1} << (width - 1)))
        return std::nullopt;
    const std::uint64_t code = ((std::uint64_t{1} << width) - *value) & ((std::uint64_t{1} << width) - 1);
    return static_cast<std::uint32_t>(code);
}

std::optional<std::uint64_t> ParseDigits(std::string_view digits, unsigned base)
{
    if (digits.empty() || digits.size() > 40)
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : digits) {
        unsigned digit = base;  // not a digit at all
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        if (digit >= base || value > (std::uint64_t{1} << 40))
            return std::nullopt;
        value = value * base + digit;
    }
    return value;
}

std::optional<std::uint32_t> ParseWord(std::string_view digits, int width, Radix radix)
{
    const auto maxDigits = static_cast<std::size_t>(radix == Radix::Hex ? (width + 3) / 4 : width);
    if (digits.size() > maxDigits)
        return std::nullopt;
    const auto value = ParseDigits(digits, static_cast<unsigned>(radix));
    if (!value || (*value >> width) != 0)  // more bits than a word holds
        return std::nullopt;
    return static_cast<std::uint32_t>(*value);
}

// Unlocked: one thread writes each stream, and the report measured on another
// core would otherwise make every word take the stream's lock.
void Put(std::FILE* out, std::string_view text)
{
    ::fwrite_unlocked(text.data(), 1, text.size(), out);
}

}  // namespace lumiro::coe
