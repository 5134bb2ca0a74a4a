// SPDX-License-Identifier: GPL-3.0-or-later
// A memory file for Verilog's $readmemb and $readmemh: one word a line and
// nothing else, and its strict reader after the language's grammar: words
// between blanks, // and /* */ comments, '_' inside words, @address in hex.
#include "conversions.h"
#include "format.h"
#include "text_scanner.h"

namespace lumiro::coe {
namespace {

void WriteMem(std::FILE* out, const Request& request)
{
    const WordTable& table = request.table;
    char buffer[32];
    for (std::int32_t i = 0; i < table.depth; ++i) {
        Put(out, WordDigits(table.word(i), table.width, request.radix, buffer));
        std::fputc('\n', out);
    }
}

struct Token {
    std::string text;  // without '_'
    std::size_t line;
    bool address;
};

std::vector<Token> Tokens(std::string_view text)
{
    TextScanner scanner(text);
    std::vector<Token> tokens;
    for (;;) {
        scanner.SkipBlanks();
        if (scanner.AtEnd())
            return tokens;
        if (scanner.LooksAt("//")) {
            scanner.SkipLine();
        } else if (scanner.LooksAt("/*")) {
            scanner.Advance(2);
            while (!scanner.AtEnd() && !scanner.LooksAt("*/"))
                scanner.Advance();
            if (scanner.AtEnd())
                scanner.Fail("komentarz /* nie jest zamknięty.");
            scanner.Advance(2);
        } else {
            const std::size_t line = scanner.Line();
            const bool address = scanner.Take('@');
            const std::string_view run =
                scanner.TakeWhile([](char c) { return !TextScanner::IsBlank(c) && c != '/'; });
            if (run.empty())  // a '/' that starts no comment
                scanner.Fail("znak '/' nie zaczyna komentarza.");
            std::string word;
            for (char c : run)
                if (c != '_')
                    word += c;
            tokens.push_back({word, line, address});
        }
    }
}

ReadTable ReadMem(std::string_view text, int width, std::optional<Radix> radix)
{
    const std::vector<Token> tokens = Tokens(text);
    if (!radix) {
        // Without --radix: binary when every word has exactly `width` binary digits.
        bool binary = true;
        for (const Token& token : tokens)
            if (!token.address)
                binary = binary && token.text.size() == static_cast<std::size_t>(width) &&
                         token.text.find_first_not_of("01") == std::string::npos;
        radix = binary ? Radix::Binary : Radix::Hex;
    }

    ReadTable read;
    std::size_t address = 0;
    for (const Token& token : tokens) {
        const std::string where = "wiersz " + std::to_string(token.line) + ": ";
        if (token.address) {
            const auto target = ParseWord(token.text, 32, Radix::Hex);
            if (!target)
                throw ReadError(where + QuoteInput("@" + token.text) + " nie jest adresem.");
            if (*target != address)
                throw ReadError(where + "adres @" + token.text +
                                " nie jest kolejnym adresem tablicy (" + std::to_string(address) + ").");
            continue;
        }
        const auto word = ParseWord(token.text, width, *radix);
        if (!word)
            throw ReadError(where + QuoteInput(token.text) + " nie jest słowem " +
                            std::to_string(width) + "-bitowym o podstawie " +
                            std::to_string(static_cast<int>(*radix)) + ".");
        read.words.push_back({*word, token.line});
        ++address;
    }
    return read;
}

const bool registered = RegisterFormat({
    .name = "mem",
    .extension = ".mem",
    .help = "  --format mem       plik dla $readmemb lub $readmemh: jedno słowo w wierszu\n"
            "                       lumiro-coe 1024 --format mem --radix 16 -o sinus.mem\n",
    .rank = 20,
    .takesRadix = true,
    .defaultName = "",
    .holdsNoWords = true,
    .write = WriteMem,
    .read = ReadMem,
});

}  // namespace
}  // namespace lumiro::coe
