// SPDX-License-Identifier: GPL-3.0-or-later
// Gowin's memory initialisation file (.mi) for its IP generator, which bakes
// it into the block RAM's INIT_RAM parameters, and its strict reader:
//   #File_format=Bin | Hex    #Address_depth=d    #Data_width=w
// then one word a line, padded to the width. No comments: no reader of the
// format is documented to take them, so the file names nothing of itself.
#include <string>

#include "format.h"
#include "i18n.h"
#include "table.h"
#include "text_scanner.h"

namespace lumiro::coe {
namespace {

void WriteGowin(std::FILE* out, const Request& request)
{
    const SineTable& table = request.table;
    Put(out, request.radix == Radix::Hex ? "#File_format=Hex\n" : "#File_format=Bin\n");
    Put(out, "#Address_depth=" + std::to_string(table.Count()) + "\n");
    Put(out, "#Data_width=" + std::to_string(table.Width()) + "\n");
    char buffer[32];
    for (std::int32_t i = 0; i < table.Count(); ++i) {
        Put(out, WordDigits(table.Word(i), table.Width(), request.radix, buffer));
        ::putc_unlocked('\n', out);
    }
}

void ReadGowin(TextScanner& scanner, int, std::optional<Radix>, WordSink& sink)
{
    RefuseByteOrderMark(scanner);
    const std::string format = Lowered(HeaderValue(scanner, "File_format"));
    if (format != "bin" && format != "hex")
        scanner.Fail(_("#File_format must be Bin or Hex."));
    const Radix radix = format == "hex" ? Radix::Hex : Radix::Binary;
    constexpr std::uint64_t kDeepest = std::uint64_t{kMaxDivisions} + 2;
    const auto depth = HeaderNumber(scanner, "Address_depth", 1, kDeepest);
    const auto width = static_cast<int>(HeaderNumber(scanner, "Data_width", 1, kWidestWord));
    sink.DeclaredWidth(width);
    sink.DeclaredRadix(static_cast<int>(radix));
    const std::size_t digits = radix == Radix::Hex ? static_cast<std::size_t>((width + 3) / 4)
                                                   : static_cast<std::size_t>(width);
    std::uint64_t address = 0;
    while (!scanner.AtEnd()) {
        const std::size_t line = scanner.Line();
        const std::string text = RestOfLine(scanner);
        if (text.empty() && scanner.AtEnd())
            break;
        const auto word = text.size() == digits ? ParseWord(text, width, radix) : std::nullopt;
        if (!word)
            throw LineError(line, Printf(_("%s is no word of %zu digits in radix %d."), Quoted(text).c_str(),
                                         digits, static_cast<int>(radix)));
        if (address == depth)
            throw LineError(line, Printf(_("more words than #Address_depth=%llu."),
                                         static_cast<unsigned long long>(depth)));
        sink.Word(*word, line);
        ++address;
    }
    if (address != depth)
        scanner.Fail(Printf(_("%llu words where #Address_depth=%llu."), static_cast<unsigned long long>(address),
                            static_cast<unsigned long long>(depth)));
}

const bool registered = RegisterFormat({
    .name = "gowin",
    .extensions = {".mi"},
    .help = N_("Gowin memory file (.mi) for the IP generator of the Gowin EDA\n"
               "  lumiro-coe 1024 --format gowin --radix 16 -o sine.mi"),
    .manual = N_("Gowin memory file (.mi) for the IP Core Generator of Gowin EDA, which bakes it into "
                 "the block RAM's INIT_RAM parameters: the header #File_format, #Address_depth and "
                 "#Data_width, then one word a line; no comment."),
    .rank = 34,
    .takesRadix = true,
    .defaultName = "",
    .holdsNoWords = false,
    .write = WriteGowin,
    .read = ReadGowin,
});

}  // namespace
}  // namespace lumiro::coe
