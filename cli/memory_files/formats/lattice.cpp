// SPDX-License-Identifier: GPL-3.0-or-later
// Lattice's memory initialisation file (.mem) for the IP generators of
// Diamond and Radiant, and its strict reader:
//   #Format=Bin | Hex      #Depth=d (1 to 65536)     #Width=w
//   #AddrRadix=r           #DataRadix=r (0 binary, 3 hexadecimal)
//   #Data
// then one word a line, most significant digit first; # or // starts a
// comment after the header, never inside it. Missing words are zero.
#include <string>

#include "format.h"
#include "i18n.h"
#include "provenance.h"
#include "text_scanner.h"

namespace lumiro::coe {
namespace {

constexpr std::int32_t kDeepest = 65536;
constexpr int kBinaryRadix = 0;
constexpr int kHexRadix = 3;

void WriteLattice(std::FILE* out, const Request& request)
{
    const SineTable& table = request.table;
    const bool hex = request.radix == Radix::Hex;
    Put(out, hex ? "#Format=Hex\n" : "#Format=Bin\n");
    Put(out, "#Depth=" + std::to_string(table.Count()) + "\n");
    Put(out, "#Width=" + std::to_string(table.Width()) + "\n");
    Put(out, "#AddrRadix=3\n");
    Put(out, "#DataRadix=" + std::to_string(hex ? kHexRadix : kBinaryRadix) + "\n");
    Put(out, "#Data\n");
    Put(out, "# " + Description(table) + "\n");  // after #Data, where comments may stand
    char buffer[32];
    for (std::int32_t i = 0; i < table.Count(); ++i) {
        Put(out, WordDigits(table.Word(i), table.Width(), request.radix, buffer));
        ::putc_unlocked('\n', out);
    }
}

void ReadLattice(TextScanner& scanner, int, std::optional<Radix>, WordSink& sink)
{
    RefuseByteOrderMark(scanner);
    const std::string format = Lowered(HeaderValue(scanner, "Format"));
    if (format != "bin" && format != "hex")
        scanner.Fail(_("#Format must be Bin or Hex (AddrHex is not read)."));
    const Radix radix = format == "hex" ? Radix::Hex : Radix::Binary;
    const auto depth = HeaderNumber(scanner, "Depth", 1, kDeepest);
    const auto width = static_cast<int>(HeaderNumber(scanner, "Width", 1, kWidestWord));
    HeaderNumber(scanner, "AddrRadix", 0, 3);
    HeaderNumber(scanner, "DataRadix", 0, 3);
    const std::size_t dataLine = scanner.Line();
    if (Lowered(RestOfLine(scanner)) != "#data")
        throw LineError(dataLine, _("#Data expected after the header."));
    sink.DeclaredWidth(width);
    // #DataRadix is only how the Memory Generator shows the words; #Format says how they are written.
    sink.DeclaredRadix(static_cast<int>(radix));

    std::uint64_t address = 0;
    for (;;) {
        scanner.TakeWhile([](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
        if (scanner.AtEnd())
            break;
        if (scanner.Peek() == '#' || scanner.LooksAt("//")) {
            scanner.SkipLine();
            continue;
        }
        const std::size_t line = scanner.Line();
        const std::string digits(scanner.TakeWhile([](char c) { return !TextScanner::IsBlank(c) && c != '#' && c != '/'; }));
        // Fewer digits than the width are filled with zeros at the top, so more
        // are leading zeros: what counts is that the value fits.
        const auto word = ParseDigits(digits, static_cast<unsigned>(radix));
        if (!word || (*word >> width) != 0)
            throw LineError(line, Printf(_("%s is no word in radix %d (of at most %d bits)."),
                                         Quoted(digits).c_str(), static_cast<int>(radix), width));
        if (address == depth)
            throw LineError(line, Printf(_("more words than #Depth=%llu."), static_cast<unsigned long long>(depth)));
        // "Each line of data specifies the contents for one memory location."
        scanner.TakeWhile([](char c) { return c == ' ' || c == '\t' || c == '\r'; });
        if (!scanner.AtEnd() && scanner.Peek() != '\n' && scanner.Peek() != '#' && !scanner.LooksAt("//"))
            throw LineError(line, _("a second word on the line: each line holds the word of one address."));
        sink.Word(static_cast<std::uint32_t>(*word), line);
        ++address;
    }
    for (; address < depth; ++address)  // "Any address not specified will be filled with 0."
        sink.Word(0, scanner.Line());
}

bool LooksLikeLattice(std::string_view head)
{
    return Lowered(head.substr(0, 8)) == "#format=";
}

const bool registered = RegisterFormat({
    .name = "lattice",
    .extensions = {".mem"},
    .help = N_("Lattice memory file for the IP generators of Diamond and Radiant (Memory\n"
               "Initialization File, at most 65536 words)\n"
               "  lumiro-coe 1024 --format lattice --radix 16 -o sine.mem"),
    .manual = N_("Lattice Memory Initialization File (.mem) for the IP generators of Diamond and "
                 "Radiant (IPexpress or Clarity Designer, the memory module's initialisation file): "
                 "the header #Format, #Depth, #Width, #AddrRadix, #DataRadix and #Data, then one word "
                 "a line. **--check** tells it from a mem file by its header."),
    .rank = 32,
    .takesRadix = true,
    .defaultName = "",
    .holdsNoWords = false,
    .deepest = kDeepest,
    .write = WriteLattice,
    .read = ReadLattice,
    .recognises = LooksLikeLattice,
});

}  // namespace
}  // namespace lumiro::coe
