// SPDX-License-Identifier: GPL-3.0-or-later
// --help, put together from the tables of formats, options and values.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "exit_status.h"
#include "i18n.h"
#include "option_table.h"
#include "options.h"
#include "table.h"

namespace lumiro::coe {
namespace {

// Where the descriptions start, "  --format verilog   a Verilog…", and where they end.
constexpr std::size_t kColumn = 21;
constexpr std::size_t kWidth = 79;

std::size_t Columns(std::string_view text)
{
    std::size_t columns = 0;
    for (char c : text)
        columns += (static_cast<unsigned char>(c) & 0xC0U) != 0x80U ? 1 : 0;  // UTF-8 lead bytes
    return columns;
}

// A description's lines: its text wrapped to the column, and its examples
// (lines that start with two blanks) as they stand, so that a translation
// needs no wrapping of its own.
std::vector<std::string> Lines(std::string_view text)
{
    std::vector<std::string> lines;
    std::string paragraph;
    const auto flush = [&] {
        std::string line;
        std::size_t at = 0;
        while (at < paragraph.size()) {
            const std::size_t end = std::min(paragraph.find(' ', at), paragraph.size());
            const std::string_view word(paragraph.data() + at, end - at);
            if (!line.empty() && Columns(line) + 1 + Columns(word) > kWidth - kColumn) {
                lines.push_back(line);
                line.clear();
            }
            line.append(line.empty() ? "" : " ").append(word);
            at = end + 1;
        }
        if (!line.empty())
            lines.push_back(line);
        paragraph.clear();
    };
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        if (line.starts_with("  ")) {
            flush();
            lines.emplace_back(line);
        } else {
            paragraph.append(paragraph.empty() ? "" : " ").append(line);
        }
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    flush();
    return lines;
}

// One entry: its name in the left column, the lines of its translated
// description beside and below it.
void Entry(std::string& text, const std::string& left, const std::string& description)
{
    text += left;
    if (Columns(left) + 1 >= kColumn)
        text.append("\n").append(kColumn, ' ');
    else
        text += std::string(kColumn - Columns(left), ' ');
    bool first = true;
    for (const std::string& line : Lines(ForTerminal(description))) {  // wrapped as shown
        text += (first ? "" : std::string(kColumn, ' ')) + line + "\n";
        first = false;
    }
}

std::string Left(const OptionSpec& option)
{
    std::string left = "  ";
    if (option.shortName != 0)
        left.append("-").append(1, option.shortName).append(", ");
    left.append("--").append(option.longName);
    if (option.argument != nullptr)
        left.append("=").append(_(option.argument));
    return left;
}

// A paragraph of its own, indented by `indent` blanks and wrapped to the width.
void Note(std::string& text, const std::string& paragraph, std::size_t indent = 2)
{
    const std::string margin(indent, ' ');
    std::string line = margin;
    std::size_t at = 0;
    while (at < paragraph.size()) {
        const std::size_t end = std::min(paragraph.find(' ', at), paragraph.size());
        const std::string_view word(paragraph.data() + at, end - at);
        if (Columns(line) > indent && Columns(line) + 1 + Columns(word) > kWidth) {
            text.append(line).append(1, '\n');
            line = margin;
        }
        line.append(Columns(line) > indent ? " " : "").append(word);
        at = end + 1;
    }
    text.append(line).append(1, '\n');
}


template <class Value>
void Values(std::string& text, const char* option, std::span<const Choice<Value>> choices)
{
    for (const auto& choice : choices)
        Entry(text, Joined({"  --", option, " ", choice.name}), _(choice.help));
}

void OptionsOf(std::string& text, Section section)
{
    for (const OptionSpec& option : OptionTable())
        if (option.section == section && option.help != nullptr)
            Entry(text, Left(option), Expanded(_(option.help)));
}

}  // namespace

// Which format each extension of -o chooses, from the formats' own entries.
std::string ExtensionRule()
{
    std::vector<std::string_view> seen;
    std::string chosen;
    std::string shared;
    for (const Format& format : Formats())
        for (std::string_view extension : format.extensions) {
            if (extension.empty() || std::find(seen.begin(), seen.end(), extension) != seen.end())
                continue;
            seen.push_back(extension);
            const FormatsByName byName = FormatsForFile(Joined({"x", extension}));
            if (byName.chosen != nullptr) {
                chosen.append(chosen.empty() ? "" : ", ").append(extension).append(" ").append(byName.chosen->name);
            } else {
                std::vector<std::string> names;
                for (const Format* sharing : byName.sharing)
                    names.emplace_back(sharing->name);
                shared += Printf(_("; %s, which %s share, needs --format"), std::string(extension).c_str(),
                                 Printf(_("%s and %s"), names.front().c_str(), names.back().c_str()).c_str());
            }
        }
    return Printf(_("Without --format, the extension of the file -o names chooses the format (%s%s); any "
                    "other name, and standard output, get %s."),
                  chosen.c_str(), shared.c_str(), std::string(DefaultFormat().name).c_str());
}

std::string HelpText()
{
    std::string text = Printf(_("Usage: lumiro-coe [OPTION]... N\n"
                                "       lumiro-coe N --check FILE\n"
                                "\n"
                                "N is the number of equal parts of the full turn (%d to %d), not the\n"
                                "number of words: a quarter table (the default) has N/4 words, --span\n"
                                "half N/2 and --span full N. By default lumiro-coe writes the sine of\n"
                                "the first 90 degrees as IEEE-754 single-precision words, the samples\n"
                                "of the Lumiro window bit for bit, in a file that FPGA tools load as it\n"
                                "is. For fixed-point words, --angle exact rounds the true sine.\n"),
                              kMinDivisions, kMaxDivisions);
    text.append("\n").append(_("Formats (--format):")).append("\n");
    for (const Format& format : Formats())
        Entry(text, Joined({"  --format ", format.name}), _(format.help));
    Note(text, ExtensionRule());
    text.append("\n").append(_("Words (--word):")).append("\n");
    for (const auto& word : WordChoices())
        Entry(text, Joined({"  --word ", word.name}), WidthsSaid(_(word.help), word.value));
    text += std::string(_("  Every word is rounded once, to nearest (ties to even).")) + "\n";
    text.append("\n").append(_("Functions (--function):")).append("\n");
    Values(text, "function", FunctionChoices());
    text.append("\n").append(_("Angles (--angle):")).append("\n");
    Values(text, "angle", AngleChoices());
    text.append("\n").append(_("Span (--span):")).append("\n");
    Values(text, "span", SpanChoices());
    OptionsOf(text, Section::Span);
    text.append("\n").append(_("Report:")).append("\n");
    OptionsOf(text, Section::Report);
    text.append("\n").append(_("The sine/cosine unit (--sincos):")).append("\n");
    OptionsOf(text, Section::Unit);
    text.append("\n").append(_("Its oscillator (--nco):")).append("\n");
    OptionsOf(text, Section::Oscillator);
    text.append("\n").append(_("Options:")).append("\n");
    OptionsOf(text, Section::General);
    std::string statuses;
    for (const ExitMeaning& exit : kExitMeanings)
        statuses.append(statuses.empty() ? "" : "; ").append(std::to_string(exit.status)).append(": ").append(_(exit.meaning));
    text.append("\n");
    Note(text, Printf(_("Exit status: %s."), statuses.c_str()), 0);
    text.append("\n").append(
            _("Environment: LANGUAGE, LC_ALL, LC_MESSAGES and LANG choose the language of\n"
              "the messages; the files written are the same bytes in every language.\n"));
    return ForTerminal(std::move(text));
}

}  // namespace lumiro::coe
