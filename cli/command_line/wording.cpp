// SPDX-License-Identifier: GPL-3.0-or-later
#include "wording.h"

#include <charconv>

namespace lumiro::coe {

std::string Listed(const std::vector<std::string_view>& names)
{
    std::string head;
    for (std::size_t i = 0; i + 1 < names.size(); ++i)
        head += (i == 0 ? "" : ", ") + std::string(names[i]);
    if (names.size() < 2)
        return names.empty() ? std::string() : std::string(names.front());
    return Printf(_("%s or %s"), head.c_str(), std::string(names.back()).c_str());
}

std::string Listed(const std::vector<std::string>& names)
{
    return Listed(std::vector<std::string_view>(names.begin(), names.end()));
}

std::string Said(std::string_view text, std::initializer_list<std::string_view> values)
{
    std::string said;
    auto value = values.begin();
    for (std::size_t at = 0;;) {
        const std::size_t mark = text.find("%s", at);
        if (mark == std::string_view::npos || value == values.end()) {
            said.append(text.substr(at));
            return said;
        }
        said.append(text.substr(at, mark - at)).append(*value++);
        at = mark + 2;
    }
}

void ThrowBadValue(const OptionSpec& option, const std::vector<std::string_view>& names, std::string_view given)
{
    throw UsageError(Printf(_("option --%s takes %s (got %s)."), std::string(option.longName).c_str(),
                            Listed(names).c_str(), Shown(given).c_str()));
}

std::string WordsTaken()
{
    std::vector<std::string> words;
    for (const auto& word : WordChoices())
        words.push_back(word.value.scaled() ? Printf(_("%s with W from %d to %d"), std::string(word.name).c_str(),
                                                     word.value.narrowest, word.value.widest)
                                            : std::string(word.name));
    return Listed(words);
}

Given Counted(std::string_view text, bool hexadecimal)
{
    const bool hex = hexadecimal && (text.starts_with("0x") || text.starts_with("0X"));
    const std::string_view digits = hex ? text.substr(2) : text;
    std::uint64_t number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number, hex ? 16 : 10);
    const bool whole = !digits.empty() && error == std::errc{} && end == digits.data() + digits.size();
    return {std::string(text), whole ? std::optional(number) : std::nullopt};
}

}  // namespace lumiro::coe
