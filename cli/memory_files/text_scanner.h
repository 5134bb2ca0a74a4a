// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a text a token at a time, for the strict readers of --check: it
// knows the line it is on, so that every complaint can name it. A file comes
// in through a fixed buffer, so that checking holds no more than the table,
// however large the file or endless the device.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "errors.h"
#include "file_source.h"
#include "format.h"
#include "i18n.h"
#include "text.h"

namespace lumiro::coe {

// A complaint about a line of the file, in the user's language.
ReadError LineError(std::size_t line, const std::string& what);

class TextScanner {
public:
    // The longest run TakeWhile returns, and so the buffer's size: far beyond
    // any word, keyword or line a valid file holds.
    static constexpr std::size_t kLongestRun = std::size_t{1} << 16;

    explicit TextScanner(std::string_view text) : text_(text) {}
    explicit TextScanner(ByteSource& source);

    bool AtEnd() { return at_ >= text_.size() && !Refill(at_); }
    char Peek() { return AtEnd() ? '\0' : text_[at_]; }
    bool LooksAt(std::string_view prefix) { return Ahead(prefix.size()).starts_with(prefix); }
    std::size_t Line() const { return line_; }

    // Up to `count` bytes from here on, without moving: fewer only at the end.
    std::string_view Ahead(std::size_t count);

    void Advance(std::size_t count = 1)
    {
        for (; count > 0 && !AtEnd(); --count)
            if (text_[at_++] == '\n')
                ++line_;
    }

    void SkipBlanks()
    {
        while (!AtEnd() && IsBlank(text_[at_]))
            Advance();
    }

    // Up to and including the line break, or to the end.
    void SkipLine()
    {
        while (!AtEnd() && text_[at_] != '\n')
            ++at_;
        Advance();
    }

    // The run of characters for which `inside` holds; one longer than
    // kLongestRun is refused.
    template <class Predicate>
    std::string_view TakeWhile(Predicate inside)
    {
        std::size_t start = at_;
        for (;;) {
            while (at_ < text_.size() && inside(text_[at_])) {
                if (text_[at_] == '\n')
                    ++line_;
                ++at_;
            }
            if (at_ < text_.size() || !Refill(start))
                return text_.substr(start, at_ - start);
        }
    }

    bool Take(char c)
    {
        if (Peek() != c || AtEnd())
            return false;
        Advance();
        return true;
    }

    [[noreturn]] void Fail(const std::string& what) const { throw LineError(line_, what); }

    static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
    static bool IsWordChar(char c)
    {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    }

private:
    // Reads more after the bytes at hand, keeping those from `keep` on (which
    // becomes 0); false at the end of the text.
    bool Refill(std::size_t& keep);

    std::string_view text_;  // the bytes at hand: all of a string, or the buffer's filled part
    std::size_t at_ = 0;
    std::size_t line_ = 1;
    ByteSource* source_ = nullptr;
    std::unique_ptr<char[]> buffer_;
};

// A UTF-8 byte-order mark, which no vendor documents its reader to skip: said
// so, rather than blamed on the first keyword or word.
inline void RefuseByteOrderMark(TextScanner& scanner)
{
    if (scanner.LooksAt("\xEF\xBB\xBF"))
        scanner.Fail(_("the file starts with a UTF-8 byte order mark (BOM: EF BB BF), which "
                       "no reader of this format is documented to take; save it without one."));
}

// The rest of the line, without its line break (LF or CR LF).
std::string RestOfLine(TextScanner& scanner);

// "#Key=value" on a line of its own, the key in any case, as the Lattice and
// Gowin headers give them: the value, or a complaint naming the line.
std::string HeaderValue(TextScanner& scanner, std::string_view key);
std::uint64_t HeaderNumber(TextScanner& scanner, std::string_view key, std::uint64_t lowest,
                           std::uint64_t highest);

}  // namespace lumiro::coe
