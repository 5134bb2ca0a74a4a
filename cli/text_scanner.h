// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a text file a token at a time, for the strict readers of --check:
// it knows the line it is on, so that every complaint can name it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "format.h"

namespace lumiro::coe {

class TextScanner {
public:
    explicit TextScanner(std::string_view text) : text_(text) {}

    bool AtEnd() const { return at_ >= text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[at_]; }
    bool LooksAt(std::string_view prefix) const { return text_.substr(at_).starts_with(prefix); }
    std::size_t Line() const { return line_; }

    void Advance(std::size_t count = 1)
    {
        for (; count > 0 && !AtEnd(); --count)
            if (text_[at_++] == '\n')
                ++line_;
    }

    void SkipBlanks()
    {
        while (!AtEnd() && IsBlank(Peek()))
            Advance();
    }

    // Up to and including the line break, or to the end.
    void SkipLine()
    {
        while (!AtEnd() && Peek() != '\n')
            Advance();
        Advance();
    }

    // The run of characters for which `inside` holds.
    template <class Predicate>
    std::string_view TakeWhile(Predicate inside)
    {
        const std::size_t start = at_;
        while (!AtEnd() && inside(Peek()))
            Advance();
        return text_.substr(start, at_ - start);
    }

    bool Take(char c)
    {
        if (Peek() != c || AtEnd())
            return false;
        Advance();
        return true;
    }

    [[noreturn]] void Fail(const std::string& what) const
    {
        throw ReadError("wiersz " + std::to_string(line_) + ": " + what);
    }

    static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
    static bool IsWordChar(char c)
    {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    }

private:
    std::string_view text_;
    std::size_t at_ = 0;
    std::size_t line_ = 1;
};

// Lower case, for keywords that the formats take in any case.
inline std::string Lowered(std::string_view text)
{
    std::string lowered(text);
    for (char& c : lowered)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lowered;
}

}  // namespace lumiro::coe
