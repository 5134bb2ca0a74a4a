// SPDX-License-Identifier: GPL-3.0-or-later
// A Python 3 module: the table as a tuple of words, for scripts and cocotb
// testbenches; with --sincos, a bit-exact model of the unit.
#include <string>

#include "format.h"
#include "i18n.h"
#include "printers.h"

namespace lumiro::coe {
namespace {

void WritePython(std::FILE* out, const Request& request)
{
    const SineTable& table = request.table;
    Put(out, "# " + Description(table) + "\n" + request.name + " = (\n");
    char buffer[32];
    for (std::int32_t i = 0; i < table.Count(); ++i) {
        Put(out, "    0x");
        Put(out, WordDigits(table.Word(i), table.Width(), Radix::Hex, buffer));
        Put(out, ",\n");
    }
    Put(out, ")\n");
}

void WriteUnit(std::FILE* out, const Request& request, const UnitPlan& plan)
{
    WriteModel(out, request, plan, PrintPython);
}

const bool registered = RegisterFormat({
    .name = "python",
    .extensions = {".py"},
    .help = N_("Python 3 module: the tuple NAME of the words (NAME: --name, by\n"
               "default lumiro_sine, or lumiro_cosine with --function cos); with\n"
               "--sincos, a bit-exact model of the unit: at(phase) on an int or a\n"
               "numpy array of phases, LATENCY, and with --nco the class Oscillator\n"
               "  lumiro-coe 1024 --sincos -o lumiro_sincos.py"),
    .manual = N_("A Python 3 module with the tuple NAME of the words in hexadecimal; NAME is set by "
                 "**--name** (default lumiro_sine, or lumiro_cosine for the cosine). With **--sincos**, a "
                 "bit-exact model of the unit instead, printed from the same circuit as its HDL: **at**(phase) "
                 "gives the sine and cosine the unit gives for a phase, **LATENCY** edges later, on an int or, "
                 "where numpy is installed, on a numpy array of phases at once; with **--nco**, the class "
                 "**Oscillator**, whose **step**() takes one rising edge with the unit's inputs (ce, reset, "
                 "frequency, phase_offset, as it has them) and gives its outputs after it, from the state of "
                 "power-up; **DELAY** is the D of the oscillator. A cocotb testbench scores the unit with it."),
    .rank = 61,
    .takesRadix = false,
    .defaultName = "lumiro_sine",
    .holdsNoWords = false,
    .write = WritePython,
    .writeUnit = WriteUnit,
    .defaultUnitName = "lumiro_sincos",
    .read = nullptr,
});

}  // namespace
}  // namespace lumiro::coe
