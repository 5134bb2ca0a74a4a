// SPDX-License-Identifier: GPL-3.0-or-later
// A C99 header with the table as a constant array, for HLS and firmware;
// with --sincos, a bit-exact model of the unit.
#include <string>

#include "format.h"
#include "i18n.h"
#include "printers.h"

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

void WriteUnit(std::FILE* out, const Request& request, const UnitPlan& plan)
{
    WriteModel(out, request, plan, PrintC);
}

const bool registered = RegisterFormat({
    .name = "c",
    .extensions = {".h"},
    .help = N_("C99 header: the array static const uint32_t NAME and its length\n"
               "LUMIRO_SINE_LENGTH (NAME in capitals, then _LENGTH), the words in\n"
               "hexadecimal (NAME: --name, by default lumiro_sine, or lumiro_cosine\n"
               "with --function cos); with --sincos, a bit-exact model of the unit\n"
               "(C99 and C++): NAME_at(phase, &sine, &cosine), NAME_LATENCY, and with\n"
               "--nco the state NAME_state, NAME_init() and NAME_step(), one edge\n"
               "  lumiro-coe 1024 --format c -o lumiro_sine.h"),
    .manual = N_("A C99 header with a static const array NAME and its length NAME_LENGTH (NAME in "
                 "capitals; LUMIRO_SINE_LENGTH by default), the words in hexadecimal; NAME is set by "
                 "**--name** (default lumiro_sine, or lumiro_cosine for the cosine, so that both "
                 "headers fit in one program). With **--sincos**, a bit-exact model of the unit instead, "
                 "printed from the same circuit as its HDL, which compiles as C99 and as C++ with every warning "
                 "on: **NAME_at**(phase, &sine, &cosine) gives the words the unit gives for a phase, "
                 "**NAME_LATENCY** edges later; with **--nco**, **NAME_state** holds the unit's registers, "
                 "**NAME_init**() sets them as at power-up (0 where the unit has none) and **NAME_step**() "
                 "takes one rising edge with the unit's inputs (ce, reset, frequency, phase_offset, as it has "
                 "them) and gives its outputs after it; **NAME_DELAY** is the D of the oscillator. The ports' "
                 "protocol of **--valid** and **--axi-stream** stays the HDL's; the words are the same."),
    .rank = 60,
    .takesRadix = false,
    .defaultName = "lumiro_sine",
    .holdsNoWords = false,
    .write = WriteC,
    .writeUnit = WriteUnit,
    .defaultUnitName = "lumiro_sincos",
    .read = nullptr,
});

}  // namespace
}  // namespace lumiro::coe
