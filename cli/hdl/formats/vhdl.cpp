// SPDX-License-Identifier: GPL-3.0-or-later
// A VHDL-93 package that holds the table as a constant array, for a ROM that
// synthesis infers from the source.
#include <string>

#include "format.h"
#include "hardware/units.h"
#include "i18n.h"
#include "printers.h"

namespace lumiro::coe {
namespace {

void WriteVhdl(std::FILE* out, const Request& request)
{
    const SineTable& table = request.table;
    const std::string width = std::to_string(table.Width());
    // SINE_ or COSINE_: a design may use the packages of both.
    const std::string lower(FunctionWord(table.shape().function));
    std::string upper = lower;
    for (char& c : upper)
        c = static_cast<char>(c - 'a' + 'A');
    Put(out, "-- " + Description(table) + "\n");
    Put(out, "library ieee;\nuse ieee.std_logic_1164.all;\n\n");
    Put(out, "package " + request.name + " is\n");
    Put(out, "    constant " + upper + "_DEPTH : natural := " + std::to_string(table.Count()) + ";\n");
    Put(out, "    constant " + upper + "_WIDTH : natural := " + width + ";\n");
    Put(out, "    subtype " + lower + "_word_t is std_logic_vector(" + upper + "_WIDTH - 1 downto 0);\n");
    Put(out, "    type " + lower + "_table_t is array (0 to " + upper + "_DEPTH - 1) of " + lower + "_word_t;\n");
    Put(out, "    constant " + upper + "_TABLE : " + lower + "_table_t := (\n");
    // Hexadecimal bit strings need a width of whole digits in VHDL-93.
    const Radix radix = table.Width() % 4 == 0 ? request.radix : Radix::Binary;
    const char* open = radix == Radix::Hex ? "X\"" : "\"";
    char buffer[32];
    for (std::int32_t i = 0; i < table.Count(); ++i) {
        Put(out, "        " + std::to_string(i) + " => " + open);
        Put(out, WordDigits(table.Word(i), table.Width(), radix, buffer));
        Put(out, i + 1 < table.Count() ? "\",\n" : "\"\n");
    }
    Put(out, "    );\nend package " + request.name + ";\n");
}

void WriteUnit(std::FILE* out, const Request& request, const UnitPlan& plan)
{
    PrintVhdl(out, hardware::UnitCircuit(plan, request.table), UnitTextOf(request, plan));
}

void WriteTestbench(std::FILE* bench, std::FILE* vectors, const Request& request, const UnitPlan& plan,
                    const BenchNames& names)
{
    WriteBench(bench, vectors, names, request, plan,
               {PrintVhdlBench, "the generic vectors (ghdl -r {name} -gvectors=...)",
                "GHDL runs it with\n  $ ghdl -a {unit} {bench} && ghdl -e {name} && ghdl -r {name}\n"});
}

const bool registered = RegisterFormat({
    .name = "vhdl",
    .extensions = {".vhd", ".vhdl"},
    .help = N_("VHDL-93 package with the constant array SINE_TABLE, or COSINE_TABLE with\n"
               "--function cos (the package's name: --name, by default lumiro_sine_pkg\n"
               "or lumiro_cosine_pkg)\n"
               "  lumiro-coe 1024 --format vhdl -o sine_pkg.vhd"),
    .manual = N_("A VHDL-93 package with the constants SINE_DEPTH and SINE_WIDTH and the constant "
                 "array SINE_TABLE (COSINE_DEPTH, COSINE_WIDTH and COSINE_TABLE with **--function "
                 "cos**); the package is named by **--name** (default lumiro_sine_pkg, or "
                 "lumiro_cosine_pkg for the cosine)."),
    .rank = 40,
    .takesRadix = true,
    .defaultName = "lumiro_sine_pkg",
    .holdsNoWords = false,
    .write = WriteVhdl,
    .writeUnit = WriteUnit,
    .defaultUnitName = "lumiro_sincos",
    .writeTestbench = WriteTestbench,
    .read = nullptr,
});

}  // namespace
}  // namespace lumiro::coe
