// SPDX-License-Identifier: GPL-3.0-or-later
#include "check.h"

#include <algorithm>
#include <bit>

#include "conversions.h"
#include "i18n.h"
#include "table.h"
#include "text_scanner.h"

namespace lumiro::coe {
namespace {

constexpr std::size_t kDifferencesShown = 10;

std::string Hex(std::uint32_t word, int width)
{
    char buffer[32];
    return std::string(WordDigits(word, width, Radix::Hex, buffer));
}

}  // namespace

const Format& KindOfFile(const Format& byName, const std::vector<const Format*>& byHead, FileSource& source)
{
    constexpr std::size_t kHeadBytes = 64;
    if (byHead.empty())
        return byName;
    const std::string_view head = source.Head(kHeadBytes);
    for (const Format* format : byHead)
        if (format->recognises(head))
            return *format;
    return byName;
}

namespace {

// Compares each word as the reader hands it on; keeps the first differences
// and counts the rest, so that a file of any length takes no more memory.
class Comparison : public WordSink {
public:
    Comparison(const SineTable& table, std::optional<Radix> radix, ShapeSpeller spell)
        : table_(table), radix_(radix), spell_(spell)
    {
    }

    void Word(std::uint32_t word, std::size_t line) override
    {
        Keep(word);
        const std::size_t index = read_++;
        if (index >= static_cast<std::size_t>(table_.Count()))
            return;
        const std::uint32_t want = table_.Word(static_cast<std::int32_t>(index));
        if (word == want || ++differing_ > kDifferencesShown)
            return;
        const int width = table_.Width();
        const auto read = static_cast<int>(std::bit_width(word));
        if (read > width)  // shown whole, as read
            differences_ += Printf(_("  word %zu (line %zu): is %s, wider than the table's %d bits; should be %s\n"),
                                   index, line, Hex(word, read).c_str(), width, Hex(want, width).c_str());
        else
            differences_ += Printf(_("  word %zu (line %zu): is %s, should be %s\n"), index, line,
                                   Hex(word, width).c_str(), Hex(want, width).c_str());
    }
    void Missing() override
    {
        Keep(0);
        const std::size_t index = read_++;
        if (index >= static_cast<std::size_t>(table_.Count()) || ++differing_ > kDifferencesShown)
            return;
        const int width = table_.Width();
        differences_ += Printf(_("  word %zu: not in the file, should be %s\n"), index,
                               Hex(table_.Word(static_cast<std::int32_t>(index)), width).c_str());
    }
    void DeclaredWidth(int bits) override { declaredWidth_ = bits; }
    void DeclaredRadix(int base) override { declaredRadix_ = base; }
    void WindowRows() override { windowRows_ = true; }

    // The report in the user's language; whether the file holds exactly the table.
    bool Report(std::string& report) const
    {
        const auto expected = static_cast<std::size_t>(table_.Count());
        const int divisions = table_.shape().divisions;
        if (radix_ && declaredRadix_ && *declaredRadix_ != static_cast<int>(*radix_)) {
            report = Printf(_("The file's words are in radix %d; --radix asks for %d.\n"), *declaredRadix_,
                            static_cast<int>(*radix_));
            return false;
        }
        if (declaredWidth_ && *declaredWidth_ != table_.Width()) {
            report = Printf(_("The file has words of %d bits, the table for N = %d words of %d "
                              "bits; words in the file: %zu, in the table: %zu.\n"),
                            *declaredWidth_, divisions, table_.Width(), read_, expected) +
                     WhatItHolds();
            return false;
        }
        // Another number of words is another table: which one says more than its differences.
        if (read_ != expected && !windowRows_) {
            report = Printf(Plural("The file has %zu word, the table for N = %d: %zu.\n",
                                   "The file has %zu words, the table for N = %d: %zu.\n", read_),
                            read_, divisions, expected) +
                     WhatItHolds();
            return false;
        }
        const std::size_t compared = std::min(read_, expected);
        report = Printf(Plural("Compared %zu word, differing: %zu.\n",
                               "Compared %zu words, differing: %zu.\n", compared),
                        compared, differing_) +
                 differences_;
        if (differing_ > kDifferencesShown)
            report += Printf(_("  … and %zu more\n"), differing_ - kDifferencesShown);
        if (read_ != expected)
            report += Printf(Plural("The file has %zu word, the table for N = %d: %zu.\n",
                                    "The file has %zu words, the table for N = %d: %zu.\n", read_),
                             read_, divisions, expected);
        if (windowRows_)
            report += Printf(_("These are rows of bits copied from the Lumiro window. Xilinx's COE "
                               "reader splits each of them into 32 one-digit values, so the file "
                               "does not load as this table. A file that does is written by:\n"
                               "  lumiro-coe %d -o table.coe\n"),
                             divisions);
        const bool matches = differing_ == 0 && read_ == expected && !windowRows_;
        if (matches)
            report += Printf(_("The file holds exactly the table for N = %d.\n"), divisions);
        return matches;
    }

private:
    // Up to the deepest table's words, for telling which table a file holds.
    void Keep(std::uint32_t word)
    {
        if (kept_.size() <= static_cast<std::size_t>(kMaxDivisions))
            kept_.push_back(word);
        widest_ = std::max(widest_, static_cast<int>(std::bit_width(word)));
    }

    // Which table for N the file's words are, or one of their number and width.
    std::string WhatItHolds() const
    {
        if (spell_ == nullptr || kept_.size() != read_ || read_ == 0)
            return {};
        const int divisions = table_.shape().divisions;
        std::vector<int> widths;
        if (declaredWidth_) {
            widths.push_back(*declaredWidth_);
        } else {
            // Undeclared: the table's width, or as wide as the widest word (a
            // positive fixed-point quarter leaves the top bit clear).
            for (const int width : {table_.Width(), widest_, widest_ + 1})
                if (width >= 1 && width <= kWidestWord && width >= widest_ &&
                    std::find(widths.begin(), widths.end(), width) == widths.end())
                    widths.push_back(width);
        }
        if (const auto shape = ShapeOfWords(kept_, divisions, widths))
            return Printf(_("Its words are exactly the table of: lumiro-coe %d %s\n"), divisions,
                          spell_(*shape).c_str());
        // None of ours: a table of that size and width, as a guess.
        TableShape guess = table_.shape();
        for (const Span span : {Span::Quarter, Span::Half, Span::Full})
            for (const bool withEnd : {false, true}) {
                guess.span = span;
                guess.withEnd = withEnd;
                if (WordCount(guess) != static_cast<std::int64_t>(read_))
                    continue;
                guess.halfStep = guess.halfStep && !withEnd;
                const int width = widths.front();
                if (width != table_.Width())
                    guess.word = *WordKind::Named(Joined({"fixed:", std::to_string(std::max(width, 2))}));
                return Printf(_("A table of as many words of that width: lumiro-coe %d %s?\n"), divisions,
                              spell_(guess).c_str());
            }
        return {};
    }

    const SineTable& table_;
    std::optional<Radix> radix_;  // as --radix asks, if it does
    ShapeSpeller spell_;
    std::vector<std::uint32_t> kept_;
    int widest_ = 0;
    std::size_t read_ = 0;
    std::size_t differing_ = 0;
    std::string differences_;
    std::optional<int> declaredWidth_;
    std::optional<int> declaredRadix_;
    bool windowRows_ = false;
};

}  // namespace

int CompareWithTable(TextScanner& text, const Format& format, std::optional<Radix> radix,
                     const SineTable& table, std::FILE* out, bool quiet, ShapeSpeller spell)
{
    Comparison comparison(table, radix, spell);
    format.read(text, table.Width(), radix, comparison);
    std::string report;
    const bool matches = comparison.Report(report);
    if (!quiet)
        Put(out, ForTerminal(report));
    return matches ? kSucceeded : kDiffers;
}

}  // namespace lumiro::coe
