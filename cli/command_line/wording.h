// SPDX-License-Identifier: GPL-3.0-or-later
// How the command line's messages name things: lists of names, values as
// given, the values an option takes from a list.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "errors.h"
#include "i18n.h"
#include "option_table.h"

namespace lumiro::coe {

// "a, b or c", in the user's language.
std::string Listed(const std::vector<std::string_view>& names);
std::string Listed(const std::vector<std::string>& names);

// A value as the messages quote it.
inline std::string Shown(std::string_view text)
{
    return Quoted(text);
}

// A translated text of a table with each %s, in turn, replaced by a value:
// the tables' sentences are no literals that Printf could check.
std::string Said(std::string_view text, std::initializer_list<std::string_view> values);

[[noreturn]] void ThrowBadValue(const OptionSpec& option, const std::vector<std::string_view>& names,
                                std::string_view given);

template <class Value>
std::vector<std::string_view> NamesOf(std::span<const Choice<Value>> choices)
{
    std::vector<std::string_view> names;
    for (const auto& choice : choices)
        names.push_back(choice.name);
    return names;
}

template <class Value>
Value Chosen(std::span<const Choice<Value>> choices, OptionId id, std::string_view given)
{
    for (const auto& choice : choices)
        if (choice.name == given)
            return choice.value;
    ThrowBadValue(Option(id), NamesOf(choices), given);
}

// "float32, ..., fixed:W with W from 2 to 32, ...", from the kinds' own entries.
std::string WordsTaken();

// A value as the command line gave it, and the whole number it is: decimal
// digits, or hexadecimal ones after 0x where `hexadecimal` allows; none where
// it is no such number or one beyond 2^64 - 1.
struct Given {
    std::string text;
    std::optional<std::uint64_t> number;
};
Given Counted(std::string_view text, bool hexadecimal = false);

}  // namespace lumiro::coe
