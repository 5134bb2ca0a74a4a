// SPDX-License-Identifier: GPL-3.0-or-later
// The manual pages, English and Polish, name exactly the options, formats,
// words, angles and spans that lumiro-coe's tables hold: no more, no fewer.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "option_table.h"

namespace lumiro::coe {
namespace {

std::string Page(const char* path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// What follows `\-\-` in the page: option names, or the value after one option.
std::set<std::string> Named(const std::string& page, const std::string& pattern)
{
    std::set<std::string> names;
    const std::regex expression(pattern);
    for (auto match = std::sregex_iterator(page.begin(), page.end(), expression); match != std::sregex_iterator();
         ++match) {
        std::string name = (*match)[1].str();
        for (std::size_t at; (at = name.find("\\-")) != std::string::npos;)
            name.replace(at, 2, "-");
        names.insert(name);
    }
    return names;
}

template <class Value>
std::set<std::string> Expected(std::span<const Choice<Value>> choices)
{
    std::set<std::string> names;
    for (const auto& choice : choices)
        names.insert(std::string(choice.name));
    return names;
}

class Manual : public ::testing::TestWithParam<const char*> {};

TEST_P(Manual, NamesWhatTheTablesHold)
{
    const std::string page = Page(GetParam());
    ASSERT_FALSE(page.empty()) << GetParam();

    std::set<std::string> options;
    for (const OptionSpec& option : OptionTable())
        options.insert(std::string(option.longName));
    EXPECT_EQ(Named(page, R"(\\-\\-((?:[a-z]|\\-)+[a-z]))"), options);

    std::set<std::string> formats;
    for (const Format& format : Formats())
        formats.insert(std::string(format.name));
    EXPECT_EQ(Named(page, R"(\\-\\-format ((?:[a-z]|\\-)+))"), formats);
    EXPECT_EQ(Named(page, R"(\\-\\-span ([a-z]+))"), Expected(SpanChoices()));
    EXPECT_EQ(Named(page, R"(\\-\\-angle ([a-z]+))"), Expected(AngleChoices()));

    // A word kind of a width stands as "fixed:" in the page and in examples as "fixed:16".
    std::set<std::string> words;
    for (std::string word : Named(page, R"(\\-\\-word ([a-z0-9]+:?))"))
        words.insert(word);
    std::set<std::string> expectedWords;
    for (const auto& word : WordChoices())
        expectedWords.insert(std::string(word.value));
    EXPECT_EQ(words, expectedWords);
}

INSTANTIATE_TEST_SUITE_P(Pages, Manual, ::testing::Values(LUMIRO_MANUAL_EN, LUMIRO_MANUAL_PL));

}  // namespace
}  // namespace lumiro::coe
