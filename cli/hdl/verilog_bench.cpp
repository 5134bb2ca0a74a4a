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

// Each line's inputs given while the clock is low, the outputs compared just
// before its rising edge.
constexpr const char* kRun = R"(    initial begin
        file = $fopen(VECTORS, "r");
        if (file == 0) begin
            $display("FAIL: cannot read the vectors %0s", VECTORS);
            $fatal(1);
        end
        fields = $fscanf(file, "%h %h %h\n", next_stimulus, expected, counted);
        while (fields == 3) begin
            stimulus = next_stimulus;
            #5;
            if (counted)
                words = words + 1;
            if (((outputs ^ expected) & (counted ? {OUT_BITS{1'b1}} : HANDSHAKES)) !== {OUT_BITS{1'b0}}) begin
                failures = failures + 1;
                if (failures <= 10)
                    $display("clock %0d: outputs %h, expected %h", clock, outputs, expected);
            end
            CLOCK_NAME = 1'b1;
            #5;
            CLOCK_NAME = 1'b0;
            clock = clock + 1;
            fields = $fscanf(file, "%h %h %h\n", next_stimulus, expected, counted);
        end
        $fclose(file);
        if (clock != CLOCKS) begin
            $display("FAIL: the vectors end after %0d of %0d clocks", clock, CLOCKS);
            $fatal(1);
        end
        if (failures != 0) begin
            $display("FAIL: %0d of %0d outputs", failures, words);
            $fatal(1);
        end
        $display("PASS: %0d outputs", words);
        $finish;
    end
endmodule
)";

}  // namespace

void PrintVerilogBench(std::FILE* out, const BenchPorts& bench, const BenchText& text)
{
    const Circuit& c = bench.circuit;
    for (const std::string& line : text.header)
        Put(out, line.empty() ? "//\n" : "// " + line + "\n");
    // No `timescale: the unit has none, and a delay of 5 needs no unit.
    Put(out, "module " + text.name + ";\n");
    Put(out, "    parameter VECTORS = \"" + text.vectors + "\";\n");
    Put(out, "    localparam CLOCKS = " + Number(text.clocks) + ";\n");
    Put(out, "    localparam IN_BITS = " + Number(bench.inputBits) + ";\n");
    Put(out, "    localparam OUT_BITS = " + Number(bench.outputBits) + ";\n");
    Put(out, "    // The handshakes' bits, compared on every clock; the words where they count.\n");
    Put(out, "    localparam [OUT_BITS-1:0] HANDSHAKES = " + Number(bench.outputBits) + "'b" + bench.Handshakes() +
                 ";\n\n");
    Put(out, "    reg " + c.ClockName() + " = 1'b0;\n");
    Put(out, "    reg [IN_BITS-1:0] stimulus = {IN_BITS{1'b0}};\n");
    Put(out, "    reg [OUT_BITS-1:0] expected = {OUT_BITS{1'b0}};\n");
    Put(out, "    reg counted = 1'b0;\n");
    // Read into a vector of its own, then assigned: Verilator 5.006 does not
    // update the unit's wires on what $fscanf writes.
    Put(out, "    reg [IN_BITS-1:0] next_stimulus = {IN_BITS{1'b0}};\n");
    std::string outputs;
    const std::vector<hardware::ModulePort> ports = hardware::ModuleOutputs(c);
    for (const hardware::ModulePort& port : ports) {
        Put(out, "    wire " + (port.width == 1 ? std::string() : "[" + Number(port.width - 1) + ":0] ") + port.name +
                     ";\n");
        outputs += (outputs.empty() ? "" : ", ") + port.name;
    }
    Put(out, "\n    " + text.unit + " unit (\n        ." + c.ClockName() + "(" + c.ClockName() + ")");
    const std::vector<Signal> inputs = c.Inputs();
    for (std::size_t k = 0; k < inputs.size(); ++k)
        Put(out, ",\n        ." + c.At(inputs[k]).name + "(stimulus" +
                     Range(bench.InputLow(k), c.At(inputs[k]).type.width) + ")");
    for (const hardware::ModulePort& port : ports)
        Put(out, ",\n        ." + port.name + "(" + port.name + ")");
    Put(out, "\n    );\n    wire [OUT_BITS-1:0] outputs = {" + outputs + "};\n\n");
    Put(out, "    integer file;\n    integer fields;\n    integer clock = 0;\n    integer words = 0;\n"
             "    integer failures = 0;\n");
    std::string run = kRun;
    for (std::size_t at = run.find("CLOCK_NAME"); at != std::string::npos; at = run.find("CLOCK_NAME"))
        run.replace(at, 10, c.ClockName());
    Put(out, run);
}

}  // namespace lumiro::coe
