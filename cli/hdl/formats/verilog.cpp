// SPDX-License-Identifier: GPL-3.0-or-later
// A synthesizable Verilog ROM: the table in the source itself, as a case
// statement in a clocked block, which Vivado, Quartus, Synplify (Lattice,
// Microchip), Gowin and Yosys all infer as a ROM with its contents; with
// --sincos, the whole sine/cosine unit.
#include <charconv>
#include <string>

#include "format.h"
#include "hardware/units.h"
#include "i18n.h"
#include "printers.h"

namespace lumiro::coe {
namespace {

// Bits of an address into `count` words: at least one.
int AddressBits(std::int64_t count)
{
    int bits = 1;
    while ((std::int64_t{1} << bits) < count)
        ++bits;
    return bits;
}

// A case statement that loads `data` with word `address` of the table, 0
// for an address beyond it.
void PutCaseRom(std::FILE* out, const SineTable& table, Radix radix, int addressBits, const std::string& indent)
{
    Put(out, indent + "case (addr)\n");
    // One line a word, put together without allocating: a table has up to 4M of them.
    const std::string between = ": data <= " + std::to_string(table.Width()) + (radix == Radix::Hex ? "'h" : "'b");
    const std::string start = indent + "    ";
    char number[16];
    char digits[32];
    for (std::int32_t i = 0; i < table.Count(); ++i) {
        Put(out, start);
        Put(out, {number, static_cast<std::size_t>(std::to_chars(number, number + sizeof number, i).ptr - number)});
        Put(out, between);
        Put(out, WordDigits(table.Word(i), table.Width(), radix, digits));
        Put(out, ";\n");
    }
    if (table.Count() < (std::int64_t{1} << addressBits))
        Put(out, indent + "    default: data <= " + std::to_string(table.Width()) + "'d0;\n");
    Put(out, indent + "endcase\n");
}

void WriteVerilog(std::FILE* out, const Request& request)
{
    const SineTable& table = request.table;
    const int address = AddressBits(table.Count());
    const std::string wordTop = std::to_string(table.Width() - 1);
    Put(out, "// " + Description(table) + "\n");
    Put(out, "// A ROM in the form every synthesis guide documents: a case statement\n");
    Put(out, "// in a clocked block, read through the register data.\n");
    Put(out, "module " + request.name + " (\n");
    Put(out, "    input  wire clk,\n");
    Put(out, "    input  wire [" + std::to_string(address - 1) + ":0] addr,\n");
    Put(out, "    output reg  [" + wordTop + ":0] data\n);\n\n");
    Put(out, "    always @(posedge clk)\n");
    PutCaseRom(out, table, request.radix, address, "        ");
    Put(out, "\nendmodule\n");
}

void WriteUnit(std::FILE* out, const Request& request, const UnitPlan& plan)
{
    PrintVerilog(out, hardware::UnitCircuit(plan, request.table), UnitTextOf(request, plan));
}

void WriteTestbench(std::FILE* bench, std::FILE* vectors, const Request& request, const UnitPlan& plan,
                    const BenchNames& names)
{
    WriteBench(bench, vectors, names, request, plan,
               {PrintVerilogBench, "the parameter VECTORS (iverilog -P{name}.VECTORS=..., verilator -GVECTORS=...)",
                // A comment that begins with the word verilator is an order to Verilator.
                "Icarus Verilog runs it with\n  $ iverilog -o {name} {unit} {bench} && vvp {name}\n"
                "and Verilator with\n  $ verilator --binary --top-module {name} {unit} {bench} && obj_dir/V{name}\n"});
}

const bool registered = RegisterFormat({
    .name = "verilog",
    .extensions = {".v"},
    .help = N_("Verilog module: a ROM with clock clk, address addr and the\n"
               "registered output data (the module's name: --name, by default\n"
               "lumiro_sine, or lumiro_cosine with --function cos)\n"
               "  lumiro-coe 1024 --format verilog -o lumiro_sine.v"),
    .manual = N_("A synthesizable ROM module, its table a case statement in a clocked block (the form "
                 "every vendor's synthesis guide documents for a ROM with contents), with a clock "
                 "**clk**, an address **addr** and a registered output **data**; the table is in the "
                 "source itself. The module is named by **--name** (default lumiro_sine, or "
                 "lumiro_cosine for the cosine)."),
    .rank = 50,
    .takesRadix = true,
    .defaultName = "lumiro_sine",
    .holdsNoWords = false,
    .write = WriteVerilog,
    .writeUnit = WriteUnit,
    .defaultUnitName = "lumiro_sincos",
    .writeTestbench = WriteTestbench,
    .read = nullptr,
});

}  // namespace
}  // namespace lumiro::coe
