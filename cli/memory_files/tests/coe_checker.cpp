// SPDX-License-Identifier: GPL-3.0-or-later
#include "coe_checker.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace lumiro::coe::testing {
namespace {

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    bool AtEnd()
    {
        SkipBlanks();
        return at_ == text_.size();
    }

    // Blanks, line breaks, and comments: a ';' that starts a statement is
    // followed by comment text to the end of its line.
    void SkipBlanks()
    {
        for (;;) {
            while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_])))
                ++at_;
            if (at_ < text_.size() && text_[at_] == ';')
                SkipLine();
            else
                return;
        }
    }

    void SkipLine()
    {
        while (at_ < text_.size() && text_[at_] != '\n')
            ++at_;
    }

    std::string Word()
    {
        std::string word;
        while (at_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[at_])) ||
                                      text_[at_] == '_'))
            word += static_cast<char>(std::tolower(static_cast<unsigned char>(text_[at_++])));
        return word;
    }

    bool Take(char c)
    {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t'))
            ++at_;
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    // Values up to the ';' that closes the statement; false when none closes it.
    bool Values(std::vector<std::string>& values)
    {
        std::string value;
        for (; at_ < text_.size(); ++at_) {
            const char c = text_[at_];
            if (c == ',' || c == ';' || std::isspace(static_cast<unsigned char>(c))) {
                if (!value.empty())
                    values.push_back(std::exchange(value, {}));
                if (c == ';') {
                    ++at_;
                    SkipLine();  // the rest of the line is a comment
                    return true;
                }
            } else {
                value += c;
            }
        }
        return false;
    }

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

bool DigitsFit(const std::string& value, int radix)
{
    const std::string_view digits = radix == 2 ? "01" : radix == 10 ? "0123456789" : "0123456789abcdefABCDEF";
    return !value.empty() && std::all_of(value.begin(), value.end(), [&](char c) {
        return digits.find(c) != std::string_view::npos;
    });
}

}  // namespace

CoeFile ReadCoe(std::string_view text, std::string& error)
{
    CoeFile file;
    error.clear();
    Reader reader(text);
    bool haveVector = false;
    while (!reader.AtEnd()) {
        const std::string keyword = reader.Word();
        if (keyword.empty())
            return error = "expected a keyword", file;
        if (!reader.Take('='))
            return error = "expected '=' after " + keyword, file;
        std::vector<std::string> values;
        if (!reader.Values(values))
            return error = keyword + " is not closed by ';'", file;
        if (keyword == "memory_initialization_radix") {
            if (values.size() != 1 || (values[0] != "2" && values[0] != "10" && values[0] != "16"))
                return error = "radix must be 2, 10 or 16", file;
            file.radix = std::stoi(values[0]);
        } else if (keyword == "memory_initialization_vector") {
            if (file.radix == 0)
                return error = "vector before radix", file;
            for (const std::string& value : values)
                if (!DigitsFit(value, file.radix))
                    return error = "'" + value + "' is not a number in radix " +
                                   std::to_string(file.radix),
                           file;
            file.values = std::move(values);
            haveVector = true;
        } else {
            return error = "unknown keyword " + keyword, file;
        }
    }
    if (!haveVector)
        error = "no memory_initialization_vector";
    return file;
}

}  // namespace lumiro::coe::testing
