// SPDX-License-Identifier: GPL-3.0-or-later
// Intel's Memory Initialization File for Quartus, and its strict reader:
//   -- comment, or % comment %
//   WIDTH = w;  DEPTH = d;  ADDRESS_RADIX = UNS;  DATA_RADIX = BIN | HEX;
//   CONTENT BEGIN  a : word;  [a..b] : word;  a : w0 w1 ...;  END;
// Keywords in any case. Every address of the depth gets exactly one word.
#include <string>

#include "format.h"
#include "i18n.h"
#include "table.h"
#include "text_scanner.h"

namespace lumiro::coe {
namespace {

void WriteMif(std::FILE* out, const Request& request)
{
    const SineTable& table = request.table;
    Put(out, "-- " + Description(table) + "\n");
    Put(out, "WIDTH=" + std::to_string(table.Width()) + ";\n");
    Put(out, "DEPTH=" + std::to_string(table.Count()) + ";\n");
    Put(out, "ADDRESS_RADIX=UNS;\n");
    const WordKind& kind = table.shape().word;
    // DEC is signed in Quartus, UNS unsigned: fixed-point words are written signed.
    const bool signedWords = kind.family() == WordKind::Family::Fixed;
    Put(out, request.radix == Radix::Hex       ? "DATA_RADIX=HEX;\n"
             : request.radix == Radix::Binary  ? "DATA_RADIX=BIN;\n"
             : signedWords                     ? "DATA_RADIX=DEC;\n"
                                               : "DATA_RADIX=UNS;\n");
    Put(out, "CONTENT BEGIN\n");
    char buffer[32];
    char address[16];
    for (std::int32_t i = 0; i < table.Count(); ++i) {
        const int length = std::snprintf(address, sizeof address, "\t%d : ", i);
        Put(out, {address, static_cast<std::size_t>(length)});
        const std::uint32_t word = table.Word(i);
        Put(out, request.radix == Radix::Decimal ? DecimalText(word, kind, buffer)
                                                 : WordDigits(word, table.Width(), request.radix, buffer));
        Put(out, ";\n");
    }
    Put(out, "END;\n");
}

void SkipBlanksAndComments(TextScanner& scanner)
{
    for (;;) {
        scanner.SkipBlanks();
        if (scanner.LooksAt("--")) {
            scanner.SkipLine();
        } else if (scanner.Peek() == '%') {
            scanner.Advance();
            while (!scanner.AtEnd() && scanner.Peek() != '%')
                scanner.Advance();
            if (!scanner.Take('%'))
                // xgettext:no-c-format
                scanner.Fail(_("comment % is not closed."));
        } else {
            return;
        }
    }
}

std::string Keyword(TextScanner& scanner)
{
    SkipBlanksAndComments(scanner);
    return Lowered(scanner.TakeWhile(TextScanner::IsWordChar));
}

void Expect(TextScanner& scanner, char c)
{
    SkipBlanksAndComments(scanner);
    if (!scanner.Take(c))
        scanner.Fail(Printf(_("'%c' expected."), c));
}

// A number in the given MIF radix: BIN, HEX, OCT, DEC or UNS.
std::optional<std::uint64_t> Number(std::string_view digits, std::string_view radix)
{
    return ParseDigits(digits, radix == "bin" ? 2 : radix == "hex" ? 16 : radix == "oct" ? 8 : 10);
}

// What stands where a number should: the digits, or else whatever else is
// there up to the next blank or delimiter, so that "-1" is quoted as "-1".
std::string TakeValue(TextScanner& scanner)
{
    std::string value(scanner.TakeWhile(TextScanner::IsWordChar));
    if (value.empty())
        value = scanner.TakeWhile(
            [](char c) { return !TextScanner::IsBlank(c) && c != ';' && c != ':' && c != ']'; });
    return value;
}

std::uint64_t TakeNumber(TextScanner& scanner, std::string_view radix, std::uint64_t limit,
                         const char* what, int width = 0)
{
    SkipBlanksAndComments(scanner);
    const std::string digits = TakeValue(scanner);
    // A DEC word may be negative: its two's complement in `width` bits.
    const auto value = radix == "dec" && width > 0 && digits.starts_with('-')
                           ? std::optional<std::uint64_t>(ParseDecimalWord(digits, width, width))
                           : Number(digits, radix);
    if (!value || *value >= limit)
        scanner.Fail(Printf(_("%s is no valid %s."), Quoted(digits).c_str(), _(what)));
    return *value;
}

// What a MIF file says before CONTENT BEGIN.
struct MifHeader {
    std::uint64_t width = 0;
    std::uint64_t depth = 0;
    std::string addressRadix;
    std::string dataRadix;
};

MifHeader ReadHeader(TextScanner& scanner)
{
    MifHeader header;
    std::string keyword;
    // No table is deeper; a file cannot make the reader take more memory than this.
    constexpr std::uint64_t kDeepest = std::uint64_t{kMaxDivisions} + 2;
    while ((keyword = Keyword(scanner)) != "content") {
        Expect(scanner, '=');
        if (keyword == "width" || keyword == "depth") {
            if (keyword == "width")
                header.width = TakeNumber(scanner, "dec", kWidestWord + 1, N_("width of 1 to 32 bits"));
            else
                header.depth = TakeNumber(scanner, "dec", kDeepest, N_("depth"));
        } else if (keyword == "address_radix" || keyword == "data_radix") {
            const std::string radix = Keyword(scanner);
            if (radix != "bin" && radix != "hex" && radix != "oct" && radix != "dec" && radix != "uns")
                scanner.Fail(Printf(_("there is no radix %s in MIF."), Quoted(radix).c_str()));
            (keyword == "address_radix" ? header.addressRadix : header.dataRadix) = radix;
        } else {
            scanner.Fail(keyword.empty() ? std::string(_("a keyword expected."))
                                         : Printf(_("unknown keyword %s."), Quoted(keyword).c_str()));
        }
        Expect(scanner, ';');
    }
    if (header.width == 0)
        scanner.Fail(_("WIDTH missing, or WIDTH=0."));
    if (header.depth == 0)
        scanner.Fail(_("DEPTH missing, or DEPTH=0."));
    if (header.addressRadix.empty() || header.dataRadix.empty())
        scanner.Fail(_("ADDRESS_RADIX or DATA_RADIX missing."));
    if (Keyword(scanner) != "begin")
        scanner.Fail(_("BEGIN expected after CONTENT."));
    return header;
}

// The words of the content, each with the line it stands on (0: none yet).
struct MifContent {
    std::vector<std::uint32_t> words;
    std::vector<std::uint32_t> lines;
};

// The addresses an entry gives its words: "[first..last]" or one address,
// or more, one after another, each with a word of its own.
struct Addresses {
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    bool range = false;
};

Addresses ReadAddresses(TextScanner& scanner, const MifHeader& header, const std::string& token)
{
    Addresses at;
    if (token.empty() && scanner.Take('[')) {
        at.range = true;
        at.first = TakeNumber(scanner, header.addressRadix, header.depth, N_("address"));
        SkipBlanksAndComments(scanner);
        if (!scanner.LooksAt(".."))
            scanner.Fail(_("'..' expected in a range of addresses."));
        scanner.Advance(2);
        at.last = TakeNumber(scanner, header.addressRadix, header.depth, N_("address"));
        Expect(scanner, ']');
        if (at.last < at.first)
            scanner.Fail(_("the range of addresses falls."));
        return at;
    }
    const std::string shown = token.empty() ? TakeValue(scanner) : token;
    const auto address = Number(shown, header.addressRadix);
    if (!address || *address >= header.depth)
        scanner.Fail(Printf(_("%s is no address of this memory."), Quoted(shown).c_str()));
    at.first = at.last = *address;
    return at;
}

void ReadEntry(TextScanner& scanner, const MifHeader& header, const std::string& token, MifContent& content)
{
    const Addresses at = ReadAddresses(scanner, header, token);
    Expect(scanner, ':');
    const std::uint64_t wordLimit = std::uint64_t{1} << header.width;
    std::uint64_t address = at.first;
    do {
        const std::size_t line = scanner.Line();
        const std::uint64_t word =
            TakeNumber(scanner, header.dataRadix, wordLimit, N_("word"), static_cast<int>(header.width));
        for (const std::uint64_t end = at.range ? at.last : address; address <= end; ++address) {
            if (address >= header.depth)
                scanner.Fail(_("address beyond DEPTH."));
            if (content.lines[address] != 0)
                scanner.Fail(Printf(_("address %llu has a word already."), static_cast<unsigned long long>(address)));
            content.words[address] = static_cast<std::uint32_t>(word);
            content.lines[address] = static_cast<std::uint32_t>(line);
        }
        SkipBlanksAndComments(scanner);
    } while (!at.range && scanner.Peek() != ';' && !scanner.AtEnd());
    Expect(scanner, ';');
}

void ReadMif(TextScanner& scanner, int, std::optional<Radix>, WordSink& sink)
{
    RefuseByteOrderMark(scanner);
    const MifHeader header = ReadHeader(scanner);
    sink.DeclaredWidth(static_cast<int>(header.width));
    const std::string& radix = header.dataRadix;
    sink.DeclaredRadix(radix == "bin" ? 2 : radix == "hex" ? 16 : radix == "oct" ? 8 : 10);
    MifContent content{std::vector<std::uint32_t>(header.depth), std::vector<std::uint32_t>(header.depth)};
    for (;;) {
        SkipBlanksAndComments(scanner);
        const std::string token(scanner.TakeWhile(TextScanner::IsWordChar));
        if (Lowered(token) == "end")
            break;
        ReadEntry(scanner, header, token, content);
    }
    for (std::uint64_t address = 0; address < header.depth; ++address)
        if (content.lines[address] == 0)
            scanner.Fail(Printf(_("address %llu has no word."), static_cast<unsigned long long>(address)));
    Expect(scanner, ';');
    SkipBlanksAndComments(scanner);
    if (!scanner.AtEnd())
        scanner.Fail(_("text after END;."));
    for (std::uint64_t address = 0; address < header.depth; ++address)
        sink.Word(content.words[address], content.lines[address]);
}

const bool registered = RegisterFormat({
    .name = "mif",
    .extensions = {".mif"},
    .help = N_("MIF file for Intel's Quartus\n"
               "  lumiro-coe 1024 --format mif -o sine.mif"),
    .manual = N_("Intel Memory Initialization File for Quartus."),
    .rank = 30,
    .takesRadix = true,
    .takesDecimal = true,
    .defaultName = "",
    .holdsNoWords = false,
    .write = WriteMif,
    .read = ReadMif,
});

}  // namespace
}  // namespace lumiro::coe
