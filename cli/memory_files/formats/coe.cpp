// SPDX-License-Identifier: GPL-3.0-or-later
// Xilinx's COE file for the block-memory generator, and its strict reader:
//   ; comment to the end of the line
//   memory_initialization_radix = 2 | 10 | 16 ;
//   memory_initialization_vector = w0, w1 w2 ... ;
// Keywords in any case; commas or blanks between values; text after the ';'
// that closes a statement is a comment.
#include <string>

#include "format.h"
#include "i18n.h"
#include "text_scanner.h"

namespace lumiro::coe {
namespace {

void WriteCoe(std::FILE* out, const Request& request)
{
    const SineTable& table = request.table;
    Put(out, "; " + Description(table) + "\n");
    Put(out, "memory_initialization_radix=" + std::to_string(static_cast<int>(request.radix)) + ";\n");
    Put(out, table.Count() > 0 ? "memory_initialization_vector=\n" : "memory_initialization_vector=;\n");
    char buffer[32];
    const WordKind& kind = table.shape().word;
    for (std::int32_t i = 0; i < table.Count(); ++i) {
        const std::uint32_t word = table.Word(i);
        // Decimal words signed, as Xilinx's generator and numpy scripts write them.
        Put(out, request.radix == Radix::Decimal ? DecimalText(word, kind, buffer)
                                                 : WordDigits(word, table.Width(), request.radix, buffer));
        ::putc_unlocked(i + 1 < table.Count() ? ',' : ';', out);
        ::putc_unlocked('\n', out);
    }
}

bool IsValueChar(char c) { return c != ',' && c != ';' && !TextScanner::IsBlank(c); }

// Blanks, and comments: a ';' where a statement could start begins one.
void SkipBlanksAndComments(TextScanner& scanner)
{
    for (scanner.SkipBlanks(); scanner.Peek() == ';'; scanner.SkipBlanks())
        scanner.SkipLine();
}

// "0 0 1 1 ... 0 ," as the window shows a word: 32 digits, each with a space.
bool IsWindowRow(std::string_view line)
{
    if (line.size() != 65 || line.back() != ',')
        return false;
    for (std::size_t i = 0; i < 64; i += 2)
        if ((line[i] != '0' && line[i] != '1') || line[i + 1] != ' ')
            return false;
    return true;
}

void ReadWindowRows(TextScanner& scanner, WordSink& sink)
{
    sink.WindowRows();
    while (!scanner.AtEnd()) {
        const std::size_t line = scanner.Line();
        const std::string row(scanner.TakeWhile([](char c) { return c != '\n'; }));
        scanner.Advance();
        if (row.empty() || row == "\r")
            break;
        if (!IsWindowRow(std::string_view(row).substr(0, row.size() - (row.ends_with('\r') ? 1 : 0))))
            throw LineError(line, Printf(_("%s is no row of bits from the Lumiro window."),
                                         Quoted(row).c_str()));
        std::uint32_t word = 0;
        for (std::size_t i = 0; i < 64; i += 2)
            word = (word << 1) | (row[i] == '1' ? 1U : 0U);
        sink.Word(word, line);
    }
    SkipBlanksAndComments(scanner);
    if (!scanner.AtEnd())
        scanner.Fail(_("more text follows the rows of bits from the Lumiro window."));
}

void SkipSpaces(TextScanner& scanner)
{
    scanner.TakeWhile([](char c) { return c == ' ' || c == '\t'; });
}

// The rest of the line after "memory_initialization_vector=" is empty and the
// next line is a row as the window shows it.
bool WindowRowsFollow(TextScanner& scanner)
{
    constexpr std::size_t kRow = 65;
    const std::string_view ahead = scanner.Ahead(2 + kRow + 1);
    const std::size_t next = ahead.starts_with("\r\n") ? 2 : ahead.starts_with('\n') ? 1 : 0;
    if (next == 0)
        return false;
    std::string_view row = ahead.substr(next);
    row = row.substr(0, row.find_first_of("\r\n"));
    return IsWindowRow(row);
}

void ReadVector(TextScanner& scanner, int radix, int width, WordSink& sink)
{
    for (;;) {
        scanner.TakeWhile([](char c) { return c == ',' || TextScanner::IsBlank(c); });
        if (scanner.AtEnd())
            scanner.Fail(_("memory_initialization_vector is not closed by ';'."));
        if (scanner.Take(';'))
            break;
        const std::size_t line = scanner.Line();
        const std::string_view value = scanner.TakeWhile(IsValueChar);
        const std::optional<std::uint32_t> word =
            radix == 10 ? ParseDecimalWord(value, width, kWidestWord)
                        : ParseWord(value, kWidestWord, static_cast<Radix>(radix));
        if (!word)
            throw LineError(line, Printf(_("%s is no word in radix %d (of at most %d bits)."),
                                         Quoted(value).c_str(), radix, kWidestWord));
        sink.Word(*word, line);
    }
    scanner.SkipLine();  // the rest of the line is a comment
}

void ReadCoe(TextScanner& scanner, int width, std::optional<Radix>, WordSink& sink)
{
    RefuseByteOrderMark(scanner);
    int radix = 0;
    bool vector = false;
    for (SkipBlanksAndComments(scanner); !scanner.AtEnd(); SkipBlanksAndComments(scanner)) {
        const std::string keyword = Lowered(scanner.TakeWhile(TextScanner::IsWordChar));
        if (keyword != "memory_initialization_radix" && keyword != "memory_initialization_vector")
            scanner.Fail(_("memory_initialization_radix or memory_initialization_vector expected."));
        SkipSpaces(scanner);
        if (!scanner.Take('='))
            scanner.Fail(Printf(_("'=' missing after %s."), keyword.c_str()));
        if (keyword == "memory_initialization_radix") {
            SkipSpaces(scanner);
            const std::string value(scanner.TakeWhile(IsValueChar));
            SkipSpaces(scanner);
            if (value != "2" && value != "10" && value != "16")
                scanner.Fail(_("the radix must be 2, 10 or 16."));
            if (!scanner.Take(';'))
                scanner.Fail(_("memory_initialization_radix is not closed by ';'."));
            scanner.SkipLine();
            radix = std::stoi(value);
            sink.DeclaredRadix(radix);
            continue;
        }
        if (radix == 0)
            scanner.Fail(_("memory_initialization_vector before memory_initialization_radix."));
        if (vector)
            scanner.Fail(_("a second memory_initialization_vector."));
        vector = true;
        // The window's rows start on the line after the keyword.
        SkipSpaces(scanner);
        if (radix == 2 && WindowRowsFollow(scanner)) {
            scanner.SkipLine();
            ReadWindowRows(scanner, sink);
            return;
        }
        ReadVector(scanner, radix, width, sink);
    }
    if (!vector)
        scanner.Fail(_("memory_initialization_vector missing."));
}

const bool registered = RegisterFormat({
    .name = "coe",
    .extensions = {".coe"},
    .help = N_("COE file for the Xilinx block memory generator (the default): the\n"
               "words separated by commas, the vector closed by a semicolon\n"
               "  lumiro-coe 1024 -o sine.coe"),
    .manual = N_("Xilinx COE file for the block-memory generator (the default): values separated by "
                 "commas, the vector closed by a semicolon."),
    .rank = 10,
    .isDefault = true,
    .takesRadix = true,
    .takesDecimal = true,
    .defaultName = "",
    .holdsNoWords = true,
    .write = WriteCoe,
    .read = ReadCoe,
});

}  // namespace
}  // namespace lumiro::coe
