// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a manual page of lumiro-coe at build time: the template's prose as it
// stands, and in place of its lines @FORMATS@, @WORDS@, @OPTIONS@,
// @UNIT_OPTIONS@ and @EXIT_STATUS@ the entries of the tables the program reads, in the language
// of the page, so that the page and --help cannot tell different stories.
// Usage: lumiro_write_manual TEMPLATE LANGUAGE CATALOGS window|alone > PAGE
// (alone: lumiro-coe is built without the window, whose page it then does not name).
#include <libintl.h>

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "exit_status.h"
#include "format.h"
#include "option_table.h"
#include "options.h"

namespace {

using namespace lumiro::coe;

// Our light markup as roff: **bold** and //italic//. The hyphens of a word
// that starts with one (an option, a negative number) are minuses, as all in
// bold; a hyphen inside another word stays a hyphen.
std::string Roff(std::string_view text)
{
    std::string roff;
    bool bold = false;
    bool italic = false;
    bool option = false;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (text.substr(at, 2) == "**") {
            roff += bold ? "\\fR" : "\\fB";
            bold = !bold;
            ++at;
        } else if (text.substr(at, 2) == "//") {
            roff += italic ? "\\fR" : "\\fI";
            italic = !italic;
            ++at;
        } else if (c == '-') {
            // An option's word ("--with-end") is minuses throughout.
            if (at == 0 || !std::isalnum(static_cast<unsigned char>(text[at - 1])))
                option = true;
            roff += bold || option ? "\\-" : "-";
        } else if (c == '\\') {
            roff += "\\e";
        } else if (c == '\n' || c == ' ') {
            roff += ' ';
            option = false;
        } else {
            roff += c;
        }
    }
    // A sentence a line, as roff wants it to space sentences; no line may
    // start with a control character.
    std::string lines;
    bool lineStart = true;
    for (std::size_t at = 0; at < roff.size(); ++at) {
        if (roff[at] == ' ' && at > 0 && roff[at - 1] == '.' && at + 1 < roff.size() &&
            (std::isupper(static_cast<unsigned char>(roff[at + 1])) || roff[at + 1] == '\\')) {
            lines += '\n';
            lineStart = true;
            continue;
        }
        if (lineStart && (roff[at] == '.' || roff[at] == '\''))
            lines += "\\&";
        lines += roff[at];
        lineStart = false;
    }
    return lines + "\n";
}

// A name or a call as roff takes it after .B: every hyphen a minus.
std::string Minus(std::string_view text)
{
    std::string roff;
    for (const char c : text)
        roff += c == '-' ? "\\-" : std::string(1, c);
    return roff;
}

std::string Example(std::string_view call)
{
    return std::string(_("Example:")) + "\n.B " + Minus(call) + "\n";
}

// A --help text as a paragraph: its lines joined, its example calls
// ("  lumiro-coe ...") set apart.
std::string Paragraph(std::string_view help)
{
    std::string prose;
    std::string examples;
    std::istringstream lines{std::string(help)};
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("  lumiro-coe "))
            examples += Example(line.substr(2));
        else
            prose += (prose.empty() ? "" : " ") + line;
    }
    // --help's fragments as the page's sentences: a capital (not on a name
    // such as bfloat16) and a full stop.
    const std::string first = prose.substr(0, prose.find_first_of(" ,"));
    if (!prose.empty() && std::islower(static_cast<unsigned char>(prose[0])) &&
        first.find_first_of("0123456789") == std::string::npos)
        prose[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(prose[0])));
    if (!prose.empty() && !prose.ends_with('.'))
        prose += '.';
    return Roff(prose) + examples;
}

// The example call at the end of a --help text, if it has one.
std::string ExampleOf(std::string_view help)
{
    const std::size_t at = help.rfind("\n  lumiro-coe ");
    return at == std::string_view::npos ? std::string() : std::string(help.substr(at + 3));
}

std::string FormatsSection()
{
    std::string page;
    for (const Format& format : Formats()) {
        page += ".TP\n.B \\-\\-format " + Minus(format.name) + "\n" + Roff(_(format.manual));
        if (format.deepest > 0)
            page += Roff(Printf(_("At most %d words."), format.deepest));
        if (const std::string example = ExampleOf(_(format.help)); !example.empty())
            page += Example(example);
    }
    page += ".PP\n" + Roff(ExtensionRule());
    const std::vector<std::string_view> empty =
        FormatNames([](const Format& format) { return format.holdsNoWords; });
    std::string names;
    for (std::size_t at = 0; at + 1 < empty.size(); ++at)
        names.append(at == 0 ? "" : ", ").append(empty[at]);
    names = empty.size() > 1 ? Printf(_("%s and %s"), names.c_str(), std::string(empty.back()).c_str())
                             : std::string(empty.front());
    page += Roff(Printf(_("A table without words exists only as %s."), names.c_str()));
    return page;
}

std::string WordsSection()
{
    std::string page;
    for (const auto& word : WordChoices()) {
        page += ".TP\n";
        page += word.value.scaled() ? ".BI \"\\-\\-word " + std::string(word.value.name) + "\" W\n"
                                    : ".B \\-\\-word " + std::string(word.name) + "\n";
        page += Paragraph(WidthsSaid(_(word.help), word.value));
    }
    return page;
}

// The options of these sections that the page describes, in the table's order.
std::string OptionsSection(std::initializer_list<Section> sections)
{
    std::string page;
    for (const OptionSpec& option : OptionTable()) {
        if (option.manual == nullptr ||
            std::find(sections.begin(), sections.end(), option.section) == sections.end())
            continue;
        // "**-o** //file//, **--output**=//file//", "**-q**, **--quiet**", "**--name** //name//"
        // A value's name as the page's prose names it: "file", but "M" and "AxB" as the formulas do.
        const std::string argument = option.argument != nullptr ? _(option.argument) : "";
        const bool word = argument.size() > 1 && std::none_of(argument.begin(), argument.end(), [](char c) {
            return std::islower(static_cast<unsigned char>(c)) != 0;
        });
        const std::string value = argument.empty() ? "" : "//" + (word ? Lowered(argument) : argument) + "//";
        std::string label = Joined({"**--", option.longName, "**"});
        if (option.shortName != 0)
            label = Joined({"**-", std::string(1, option.shortName), "**", value.empty() ? "" : " ", value, ", ",
                            label, value.empty() ? "" : "=", value});
        else if (!value.empty())
            label += " " + value;
        page += ".TP\n" + Roff(label) + Roff(Expanded(_(option.manual)));
        if (option.help != nullptr)
            if (const std::string example = ExampleOf(_(option.help)); !example.empty())
                page += Example(example);
    }
    return page;
}

std::string ExitStatusSection()
{
    std::string page;
    for (const ExitMeaning& exit : kExitMeanings) {
        std::string meaning = _(exit.meaning);
        meaning[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(meaning[0])));
        page += ".TP\n.B " + std::to_string(exit.status) + "\n" + Roff(meaning + ".");
    }
    return page;
}

// The pages of what reads lumiro-coe's files, and the window's where it is built.
std::string SeeAlso(bool window)
{
    std::string page = window ? ".BR lumiro (1),\n" : "";
    for (const char* tool : {"iverilog", "ghdl", "verilator", "yosys"})
        page += Joined({".BR ", tool, " (1),\n"});
    return page + ".BR srec_cat (1)\n";
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fputs("usage: lumiro_write_manual TEMPLATE LANGUAGE CATALOGS window|alone\n", stderr);
        return 2;
    }
    // The language of the page, whatever the builder's: LANGUAGE chooses it
    // under any locale but C itself.
    if (std::setlocale(LC_ALL, "C.UTF-8") == nullptr) {
        std::fputs("lumiro_write_manual: no C.UTF-8 locale\n", stderr);
        return 1;
    }
    ::setenv("LANGUAGE", std::string(argv[2]) == "en" ? "" : argv[2], 1);
    ::bindtextdomain(kTextDomain, argv[3]);
    ::textdomain(kTextDomain);
    if (std::string(argv[2]) != "en" && std::string(_("Example:")) == "Example:") {
        std::fprintf(stderr, "lumiro_write_manual: no catalog for %s in %s\n", argv[2], argv[3]);
        return 1;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::fprintf(stderr, "lumiro_write_manual: cannot read %s\n", argv[1]);
        return 1;
    }
    std::string page;
    for (std::string line; std::getline(in, line);) {
        if (line == "@FORMATS@")
            page += FormatsSection();
        else if (line == "@WORDS@")
            page += WordsSection();
        else if (line == "@OPTIONS@")
            page += OptionsSection({Section::Span, Section::Report, Section::General});
        else if (line == "@UNIT_REFUSES@")
            page += Roff(Expanded(_("N must be divisible by 4; the unit takes no {sincos-refuses}.")));
        else if (line == "@UNIT_OPTIONS@")
            page += OptionsSection({Section::Unit, Section::Oscillator});
        else if (line == "@EXIT_STATUS@")
            page += ExitStatusSection();
        else if (line == "@SEE_ALSO@")
            page += SeeAlso(std::string(argv[4]) == "window");
        else
            page += Expanded(line) + "\n";  // the prose says the numbers the code owns as it does
    }
    std::cout << page;
    return std::cout.flush() ? 0 : 1;
}
