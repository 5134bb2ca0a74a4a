// SPDX-License-Identifier: GPL-3.0-or-later
// A synthesizable Verilog ROM: the table in the source itself, read through a
// register on the clock's rising edge.
#include <string>

#include "format.h"
#include "i18n.h"

namespace lumiro::coe {
namespace {

int AddressBits(std::int32_t depth)
{
    int bits = 1;  // a one-word memory still has an address
    while ((std::int64_t{1} << bits) < depth)
        ++bits;
    return bits;
}

void WriteVerilog(std::FILE* out, const Request& request)
{
    const SineTable& table = request.table;
    const std::string addressTop = std::to_string(AddressBits(table.Count()) - 1);
    const std::string wordTop = std::to_string(table.Width() - 1);
    const std::string width = std::to_string(table.Width());
    Put(out, "// " + Description(table) + "\n");
    Put(out, "module " + request.name + " (\n");
    Put(out, "    input  wire clk,\n");
    Put(out, "    input  wire [" + addressTop + ":0] addr,\n");
    Put(out, "    output reg  [" + wordTop + ":0] data\n);\n\n");
    Put(out, "    reg [" + wordTop + ":0] rom [0:" + std::to_string(table.Count() - 1) + "];\n\n");
    Put(out, "    initial begin\n");
    const std::string prefix = width + (request.radix == Radix::Hex ? "'h" : "'b");
    char buffer[32];
    for (std::int32_t i = 0; i < table.Count(); ++i) {
        Put(out, "        rom[" + std::to_string(i) + "] = " + prefix);
        Put(out, WordDigits(table.Word(i), table.Width(), request.radix, buffer));
        Put(out, ";\n");
    }
    Put(out, "    end\n\n");
    Put(out, "    always @(posedge clk)\n        data <= rom[addr];\n\nendmodule\n");
}

const bool registered = RegisterFormat({
    .name = "verilog",
    .extension = "",
    .help = N_("Verilog module: a ROM with clock clk, address addr and the\n"
               "registered output data (the module's name: --name, by default\n"
               "lumiro_sine)\n"
               "  lumiro-coe 1024 --format verilog -o lumiro_sine.v"),
    .rank = 50,
    .takesRadix = true,
    .defaultName = "lumiro_sine",
    .holdsNoWords = false,
    .write = WriteVerilog,
    .read = nullptr,
});

}  // namespace
}  // namespace lumiro::coe
