// SPDX-License-Identifier: GPL-3.0-or-later
// A unit's testbench in Verilog-2005 and the $fatal of IEEE 1800, which
// Icarus Verilog, Verilator and the vendors' simulators all run: it reads the
// vectors with $fscanf, so no simulator needs an option to find them.
#include <string>

#include "printers.h"

namespace lumiro::coe {
namespace {

std::string Number(std::int64_t value)
{
    return std::to_string(value);
}

std::string Range(int low, int width)
{
    return width == 1 ? "[" + Number(low) + "]" : "[" + Number(low + width - 1) + ":" + Number(low) + "]";
}

}  // namespace

void PrintVerilogBench(std::FILE* out, const BenchPorts& ports, const BenchText& text)
{
    const Circuit& c = ports.circuit;
    for (const std::string& line : text.header)
        Put(out, line.empty() ? "//\n" : "// " + line + "\n");
    // No `timescale: the unit has none, and a delay of 5 needs no unit.
    Put(out, "module " + text.name + ";\n");
    Put(out, "    parameter VECTORS = \"" + text.vectors + "\";\n");
    Put(out, "    localparam CLOCKS = " + Number(text.clocks) + ";\n");
    Put(out, "    localparam IN_BITS = " + Number(ports.inputBits) + ";\n");
    Put(out, "    localparam OUT_BITS = " + Number(ports.outputBits) + ";\n");
    Put(out, "    // The handshakes' bits, compared on every clock; the words where they count.\n");
    Put(out, "    localparam [OUT_BITS-1:0] HANDSHAKES = " + Number(ports.outputBits) + "'b" + ports.Handshakes() +
                 ";\n\n");
    Put(out, "    reg " + c.ClockName() + " = 1'b0;\n");
    Put(out, "    reg [IN_BITS-1:0] stimulus = {IN_BITS{1'b0}};\n");
    Put(out, "    reg [OUT_BITS-1:0] expected = {OUT_BITS{1'b0}};\n");
    Put(out, "    reg counted = 1'b0;\n");
    // Read into a vector of its own, then assigned: Verilator 5.006 does not
    // update the unit's wires on what $fscanf writes.
    Put(out, "    reg [IN_BITS-1:0] next_stimulus = {IN_BITS{1'b0}};\n");
    std::string outputs;
    for (const hardware::OutputPort& output : c.Outputs()) {
        const int width = c.At(output.value).type.width;
        Put(out, "    wire " + (width == 1 ? std::string() : "[" + Number(width - 1) + ":0] ") + output.name + ";\n");
        outputs += (outputs.empty() ? "" : ", ") + output.name;
    }
    Put(out, "\n    " + text.unit + " unit (\n        ." + c.ClockName() + "(" + c.ClockName() + ")");
    const std::vector<Signal> inputs = c.Inputs();
    for (std::size_t k = 0; k < inputs.size(); ++k)
        Put(out, ",\n        ." + c.At(inputs[k]).name + "(stimulus" +
                     Range(ports.InputLow(k), c.At(inputs[k]).type.width) + ")");
    for (const hardware::OutputPort& output : c.Outputs())
        Put(out, ",\n        ." + output.name + "(" + output.name + ")");
    Put(out, "\n    );\n    wire [OUT_BITS-1:0] outputs = {" + outputs + "};\n\n");
    Put(out, "    integer file;\n    integer fields;\n    integer clock = 0;\n    integer words = 0;\n"
             "    integer failures = 0;\n");
    Put(out, "    initial begin\n"
             "        file = $fopen(VECTORS, \"r\");\n"
             "        if (file == 0) begin\n"
             "            $display(\"FAIL: cannot read the vectors %0s\", VECTORS);\n"
             "            $fatal(1);\n"
             "        end\n"
             "        fields = $fscanf(file, \"%h %h %h\\n\", next_stimulus, expected, counted);\n"
             "        while (fields == 3) begin\n"
             "            stimulus = next_stimulus;\n"
             "            #5;\n"
             "            if (counted)\n"
             "                words = words + 1;\n"
             "            if (((outputs ^ expected) & (counted ? {OUT_BITS{1'b1}} : HANDSHAKES)) !== {OUT_BITS{1'b0}}) begin\n"
             "                failures = failures + 1;\n"
             "                if (failures <= 10)\n"
             "                    $display(\"clock %0d: outputs %h, expected %h\", clock, outputs, expected);\n"
             "            end\n"
             "            " + c.ClockName() + " = 1'b1;\n"
             "            #5;\n"
             "            " + c.ClockName() + " = 1'b0;\n"
             "            clock = clock + 1;\n"
             "            fields = $fscanf(file, \"%h %h %h\\n\", next_stimulus, expected, counted);\n"
             "        end\n"
             "        $fclose(file);\n"
             "        if (clock != CLOCKS) begin\n"
             "            $display(\"FAIL: the vectors end after %0d of %0d clocks\", clock, CLOCKS);\n"
             "            $fatal(1);\n"
             "        end\n"
             "        if (failures != 0) begin\n"
             "            $display(\"FAIL: %0d of %0d outputs\", failures, words);\n"
             "            $fatal(1);\n"
             "        end\n"
             "        $display(\"PASS: %0d outputs\", words);\n"
             "        $finish;\n"
             "    end\n"
             "endmodule\n");
}

}  // namespace lumiro::coe
