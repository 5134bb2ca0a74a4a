// SPDX-License-Identifier: GPL-3.0-or-later
// A synthesizable Verilog ROM: the table in the source itself, as a case
// statement in a clocked block, which Vivado, Quartus, Synplify (Lattice,
// Microchip), Gowin and Yosys all infer as a ROM with its contents; with
// --sincos, the whole sine/cosine unit.
#include <string>

#include "format.h"
#include "hdl.h"
#include "i18n.h"

namespace lumiro::coe {
namespace {

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
    PutCaseRom(out, table, "addr", "data", request.radix, address, "        ");
    Put(out, "\nendmodule\n");
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
    .writeUnit = WriteSincosVerilog,
    .defaultUnitName = "lumiro_sincos",
    .read = nullptr,
});

}  // namespace
}  // namespace lumiro::coe
