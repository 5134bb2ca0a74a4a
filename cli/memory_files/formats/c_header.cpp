// SPDX-License-Identifier: GPL-3.0-or-later
// A C99 header with the table as a constant array, for HLS and firmware.
#include <string>

#include "format.h"
#include "i18n.h"

namespace lumiro::coe {
namespace {

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

void WriteC(std::FILE* out, const Request& request)
{
    const SineTable& table = request.table;
    const std::string guard = Upper(request.name) + "_H";
    const std::string length = Upper(request.name) + "_LENGTH";
    const char* type = table.Width() <= 16 ? "uint16_t" : "uint32_t";
    Put(out, "/* " + Description(table) + " */\n");
    Put(out, "#ifndef " + guard + "\n#define " + guard + "\n\n#include <stdint.h>\n\n");
    Put(out, "#define " + length + " " + std::to_string(table.Count()) + "\n\n");
    Put(out, std::string("static const ") + type + " " + request.name + "[" + length + "] = {\n");
    char buffer[32];
    for (std::int32_t i = 0; i < table.Count(); ++i) {
        Put(out, "    0x");
        Put(out, WordDigits(table.Word(i), table.Width(), Radix::Hex, buffer));
        Put(out, i + 1 < table.Count() ? "u,\n" : "u\n");
    }
    Put(out, "};\n\n#endif\n");
}

const bool registered = RegisterFormat({
    .name = "c",
    .extensions = {".h"},
    .help = N_("C99 header: the array static const uint32_t NAME and its length\n"
               "LUMIRO_SINE_LENGTH (NAME in capitals, then _LENGTH), the words in\n"
               "hexadecimal (NAME: --name, by default lumiro_sine, or lumiro_cosine\n"
               "with --function cos)\n"
               "  lumiro-coe 1024 --format c -o lumiro_sine.h"),
    .manual = N_("A C99 header with a static const array NAME and its length NAME_LENGTH (NAME in "
                 "capitals; LUMIRO_SINE_LENGTH by default), the words in hexadecimal; NAME is set by "
                 "**--name** (default lumiro_sine, or lumiro_cosine for the cosine, so that both "
                 "headers fit in one program)."),
    .rank = 60,
    .takesRadix = false,
    .defaultName = "lumiro_sine",
    .holdsNoWords = false,
    .write = WriteC,
    .read = nullptr,
});

}  // namespace
}  // namespace lumiro::coe
