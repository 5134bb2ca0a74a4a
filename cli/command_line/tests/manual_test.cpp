// SPDX-License-Identifier: GPL-3.0-or-later
// The manual pages, English and Polish, name exactly the options, formats,
// words, angles and spans that lumiro-coe's tables hold: no more, no fewer.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "exit_status.h"
#include "option_table.h"
#include "options.h"

namespace lumiro::coe {
namespace {

std::string Page(const char* path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The names that follow `prefix` in the page: letters, digits, ':' and
// escaped hyphens ("\-"), which read as '-'.
std::set<std::string> Named(const std::string& page, const std::string& prefix)
{
    std::set<std::string> names;
    for (std::size_t at = page.find(prefix); at != std::string::npos; at = page.find(prefix, at + 1)) {
        std::string name;
        for (std::size_t i = at + prefix.size(); i < page.size();) {
            const char c = page[i];
            if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ':') {
                name += c;
                ++i;
            } else if (page.compare(i, 2, "\\-") == 0 && !name.empty()) {
                name += '-';
                i += 2;
            } else {
                break;
            }
        }
        while (name.ends_with('-'))  // "\-\-with\-end\-" at a line's end
            name.pop_back();
        if (!name.empty())
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
    std::set<std::string> named;
    for (const std::string& name : Named(page, "\\-\\-"))
        if (name.find(':') == std::string::npos && !(name[0] >= '0' && name[0] <= '9'))
            named.insert(name);
    EXPECT_EQ(named, options);

    std::set<std::string> formats;
    for (const Format& format : Formats())
        formats.insert(std::string(format.name));
    EXPECT_EQ(Named(page, "\\-\\-format "), formats);
    EXPECT_EQ(Named(page, "\\-\\-span "), Expected(SpanChoices()));
    EXPECT_EQ(Named(page, "\\-\\-angle "), Expected(AngleChoices()));

    // A word kind of a width stands as "fixed:" in the page and in examples as "fixed:16".
    std::set<std::string> words;
    for (const std::string& word : Named(page, "\\-\\-word "))
        words.insert(word.substr(0, word.find(':') == std::string::npos ? word.size() : word.find(':') + 1));
    std::set<std::string> expectedWords;
    for (const auto& word : WordChoices())
        expectedWords.insert(std::string(word.value.name));
    EXPECT_EQ(words, expectedWords);
}

// What --check reads, said in its paragraph of the page and in --help: every
// format with a reader, in the order of the formats.
TEST_P(Manual, CheckNamesEveryFormatItReads)
{
    std::string page = Page(GetParam());
    std::vector<std::string> readable;
    for (const Format& format : Formats())
        if (format.read != nullptr)
            readable.emplace_back(format.name);
    ASSERT_GE(readable.size(), 2U);
    std::string listed;
    for (std::size_t i = 0; i + 1 < readable.size(); ++i)
        listed.append(i == 0 ? "" : ", ").append(readable[i]);
    for (std::size_t at; (at = page.find("\\-")) != std::string::npos;)
        page.replace(at, 2, "-");
    for (std::size_t at; (at = page.find('\n')) != std::string::npos;)
        page.replace(at, 1, " ");
    EXPECT_NE(page.find("(" + listed), std::string::npos) << listed;
    EXPECT_NE(HelpText().find(readable.back()), std::string::npos);
}

// Every exit status has its entry in the page, and --help names them all.
TEST_P(Manual, TellsEveryExitStatus)
{
    const std::string page = Page(GetParam());
    std::string help = HelpText();
    std::replace(help.begin(), help.end(), '\n', ' ');  // wrapped anywhere
    for (const ExitMeaning& exit : kExitMeanings) {
        EXPECT_NE(page.find("\n.TP\n.B " + std::to_string(exit.status) + "\n"), std::string::npos) << exit.status;
        EXPECT_NE(help.find(std::to_string(exit.status) + ": " + _(exit.meaning)), std::string::npos) << exit.status;
    }
}

// What the unit refuses, the page says in its own language as --help and the
// refusal do.
TEST_P(Manual, SayWhatTheUnitRefusesAsTheRefusalDoes)
{
    std::string page = Page(GetParam());
    for (const std::string escape : {"\\-", "\\fB", "\\fR", "\\fI"})
        for (std::size_t at; (at = page.find(escape)) != std::string::npos;)
            page.replace(at, escape.size(), escape == "\\-" ? "-" : "");
    std::replace(page.begin(), page.end(), '\n', ' ');
    const bool polish = std::string(GetParam()) == LUMIRO_MANUAL_PL;
    EXPECT_NE(page.find(polish ? "--span half ani full, --with-end, --function cos ani słów ufixed"
                               : "--span half or full, --with-end, --function cos or ufixed words"),
              std::string::npos);
    std::string help = HelpText();
    std::replace(help.begin(), help.end(), '\n', ' ');
    for (std::size_t at; (at = help.find("  ")) != std::string::npos;)
        help.erase(at, 1);
    const std::string refused = Expanded("{sincos-refuses}");
    EXPECT_NE(help.find(refused), std::string::npos) << refused;
    try {
        ParseOptions(std::vector<std::string_view>{"64", "--sincos", "--format", "verilog", "--function", "cos"});
        ADD_FAILURE() << "--function cos taken";
    } catch (const UsageError& error) {
        EXPECT_NE(std::string(error.what()).find(refused), std::string::npos) << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, Manual, ::testing::Values(LUMIRO_MANUAL_EN, LUMIRO_MANUAL_PL));

// The README's examples write every format, by its name or its extension.
TEST(Readme, ShowsEveryFormat)
{
    const std::string readme = Page(LUMIRO_README);
    ASSERT_FALSE(readme.empty());
    std::vector<std::string> written;  // the files of "-o FILE"
    for (std::size_t at = readme.find("-o "); at != std::string::npos; at = readme.find("-o ", at + 1))
        written.push_back(readme.substr(at + 3, readme.find_first_of(" \n`", at + 3) - at - 3));
    for (const Format& format : Formats()) {
        bool shown = readme.find("--format " + std::string(format.name)) != std::string::npos;
        for (std::string_view extension : format.extensions)
            for (const std::string& file : written)
                shown = shown || (!extension.empty() && file.ends_with(extension) &&
                                  FormatsForFile(file).chosen == &format);
        EXPECT_TRUE(shown) << format.name;
    }
}

}  // namespace
}  // namespace lumiro::coe
