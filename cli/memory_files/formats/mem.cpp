// SPDX-License-Identifier: GPL-3.0-or-later
// A memory file for Verilog's $readmemb and $readmemh: one word a line and
// nothing else, and its strict reader after the language's grammar: words
// between blanks, // and /* */ comments, '_' inside words, @address in hex.
#include "format.h"
#include "i18n.h"
#include "text_scanner.h"

namespace lumiro::coe {
namespace {

void WriteMem(std::FILE* out, const Request& request)
{
    const SineTable& table = request.table;
    char buffer[32];
    for (std::int32_t i = 0; i < table.Count(); ++i) {
        Put(out, WordDigits(table.Word(i), table.Width(), request.radix, buffer));
        ::putc_unlocked('\n', out);
    }
}

// Without --radix, the first word tells: `width` binary digits make a binary
// file. A hexadecimal word of a table is never that long (ufixed:1 aside,
// where both read alike), and a file cut short is blamed on the right radix.
Radix GuessedRadix(std::string_view word, int width)
{
    return word.size() == static_cast<std::size_t>(width) &&
                   word.find_first_not_of("01") == std::string_view::npos
               ? Radix::Binary
               : Radix::Hex;
}

void SkipComment(TextScanner& scanner)
{
    if (scanner.LooksAt("//")) {
        scanner.SkipLine();
        return;
    }
    scanner.Advance(2);
    while (!scanner.AtEnd() && !scanner.LooksAt("*/"))
        scanner.Advance();
    if (scanner.AtEnd())
        scanner.Fail(_("comment /* is not closed."));
    scanner.Advance(2);
}

void ReadMem(TextScanner& scanner, int width, std::optional<Radix> radix, WordSink& sink)
{
    RefuseByteOrderMark(scanner);
    std::size_t address = 0;
    std::string word;
    for (;;) {
        scanner.SkipBlanks();
        if (scanner.AtEnd())
            return;
        if (scanner.LooksAt("//") || scanner.LooksAt("/*")) {
            SkipComment(scanner);
            continue;
        }
        const std::size_t line = scanner.Line();
        const bool isAddress = scanner.Take('@');
        const std::string_view run =
            scanner.TakeWhile([](char c) { return !TextScanner::IsBlank(c) && c != '/'; });
        if (run.empty())
            scanner.Fail(isAddress ? _("'@' without an address.") : _("'/' starts no comment."));
        word.clear();
        for (char c : run)
            if (c != '_')
                word += c;
        if (isAddress) {
            const auto target = ParseWord(word, 32, Radix::Hex);
            if (!target)
                throw LineError(line, Printf(_("%s is no address."), Quoted("@" + word).c_str()));
            if (*target != address)
                throw LineError(line, Printf(_("address @%s is not the table's next address (%zu)."),
                                             word.c_str(), address));
            continue;
        }
        const bool guessed = !radix;
        if (!radix)
            radix = GuessedRadix(word, width);
        const auto value = ParseWord(word, kWidestWord, *radix);
        if (!value)
            throw LineError(line, Printf(guessed ? _("%s is no word in radix %d (of at most %d bits); "
                                                     "give --radix 2 for a binary file.")
                                                 : _("%s is no word in radix %d (of at most %d bits)."),
                                         Quoted(word).c_str(), static_cast<int>(*radix),
                                         kWidestWord));
        sink.Word(*value, line);
        ++address;
    }
}

const bool registered = RegisterFormat({
    .name = "mem",
    .extensions = {".mem"},
    .help = N_("a file for $readmemb or $readmemh: one word a line\n"
               "  lumiro-coe 1024 --format mem --radix 16 -o sine.mem"),
    .manual = N_("One word a line and nothing else, for Verilog's **$readmemb** or **$readmemh**."),
    .rank = 20,
    .takesRadix = true,
    .defaultName = "",
    .holdsNoWords = true,
    .write = WriteMem,
    .read = ReadMem,
});

}  // namespace
}  // namespace lumiro::coe
