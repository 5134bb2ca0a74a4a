// SPDX-License-Identifier: GPL-3.0-or-later
// Each printer writes what the circuit computes: a circuit of every
// operation, both signs and every way a signal is written (declared, in
// place, as a register's value, as a condition), printed in Verilog and in
// VHDL, is run by Icarus Verilog and GHDL on random inputs and compared on
// every clock with the circuit's own evaluation; Verilator's lint takes the
// Verilog without a word. The units behind AXI4-Stream ports, whose clock and
// enable are named otherwise, the same way.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "hardware/circuit.h"
#include "hardware/evaluation.h"
#include "hardware/units.h"
#include "printers.h"
#include "scratch.h"

namespace lumiro::coe {
namespace {

using hardware::RegisterOptions;
using hardware::Signed;
using hardware::Unsigned;
using lumiro::testing::Outcome;

Circuit EveryOperation()
{
    Circuit c;
    const Signal ce = c.Input("ce", Unsigned(1));
    const Signal reset = c.Input("reset", Unsigned(1));
    const Signal a = c.Input("a", Signed(12));
    const Signal b = c.Input("b", Unsigned(9));
    const Signal s = c.Input("s", Unsigned(1));
    c.EnableBy(ce);
    c.Section("Arithmetic, each signal declared.");
    const Signal bs = c.Extension(b, Signed(10), "b_signed");
    const Signal sum = c.Sum({{bs, 1, true}, {a, 3}, {c.Constant(-7, Signed(4))}}, "sum");
    const Signal usum = c.Sum({{b, 0, true}, {b, 2}, {c.Constant(300, Unsigned(9))}}, "usum", Unsigned(12));
    const Signal product = c.Product(a, bs, "product");
    const Signal square = c.Product(b, b, "square");
    const Signal negated = c.Negation(a, "negated");
    const Signal flipped = c.Negation(b, "flipped", Unsigned(9));
    const Signal bits = c.Xor(c.Slice(a, 3, Unsigned(9)), c.Or(c.Not(b), c.And(b, c.Constant(85, Unsigned(9)))), "bits");
    const Signal joined = c.Concatenation({c.Bit(a, 11), s, b, c.Constant(5, Unsigned(3))}, "joined");
    const Signal below = c.Less(a, bs, "below");
    const Signal same = c.Equal(c.Slice(a, 0, Unsigned(9)), b, "same");
    const Signal picked = c.Choice(below, c.Slice(a, 0, Unsigned(9)), b, "picked");
    const int table = c.AddTable("words", Unsigned(10), {5, 1000, 17, 512, 0, 1023, 3, 64});
    c.Section("Registers, their values written in place.");
    std::vector<Signal> outputs;
    for (const Signal value : {sum, usum, product, square, negated, flipped, bits, joined, below, same, picked})
        outputs.push_back(c.Delayed(value, c.At(value).name + "_q"));
    outputs.push_back(c.Delayed(c.Read(table, c.Slice(b, 2, Unsigned(3))), "read_q", RegisterOptions::Undefined()));
    outputs.push_back(c.Delayed(c.Choice(c.Less(b, c.Constant(200, Unsigned(9))), c.Negation(b, {}, Unsigned(9)),
                                         c.Add(b, c.Constant(1, Unsigned(1)), {}, Unsigned(9))),
                                "chosen_q"));
    outputs.push_back(c.Delayed(c.Choice(s, c.Slice(a, 4, Signed(8)), c.Slice(a, 2, Signed(8))), "signed_q"));
    outputs.push_back(c.Delayed(c.Extension(c.Slice(a, 6, Signed(6)), Unsigned(9)), "extended_q"));
    const Signal lfsr = c.Register("lfsr", Unsigned(64), RegisterOptions::ResetBy(reset, static_cast<std::int64_t>(0x9E3779B97F4A7C15)));
    c.Connect(lfsr, c.Lfsr(lfsr, {{63, 62, 60, 59}}, 7));
    outputs.push_back(lfsr);
    const Signal count = c.Register("count", Unsigned(5), RegisterOptions::ResetBy(reset, 3));
    c.Connect(count, c.Add(count, c.Extension(s, Unsigned(5)), {}, Unsigned(5)));
    outputs.push_back(count);
    for (std::size_t k = 0; k < outputs.size(); ++k)
        c.Output("o" + std::to_string(k), outputs[k]);
    // A register written straight to its port, and one read beside it.
    c.Output("low", c.Delayed(c.Slice(a, 0, Unsigned(2)), "low"));
    c.Output("flag", c.Delayed(c.Xor(c.Bit(b, 0), c.Bit(count, 0)), "flag_q"));
    return c;
}

std::string Bits(std::int64_t value, int width)
{
    std::string bits;
    for (int bit = width - 1; bit >= 0; --bit)
        bits += static_cast<char>('0' + ((static_cast<std::uint64_t>(value) >> bit) & 1U));
    return bits;
}

class Printers : public lumiro::testing::Scratch {
protected:
    static constexpr int kClocks = 3000;
    Circuit circuit = EveryOperation();
    std::string module = "every_operation";
    // Clocks before outputs are compared: a unit's block RAM registers hold
    // no defined word until its pipeline has filled.
    int settle = 0;

    // The inputs of every clock, and the outputs after its edge, as the circuit evaluates them.
    void WriteVectors()
    {
        hardware::Simulation simulation(circuit);
        std::mt19937_64 random(2026);
        std::ofstream vectors(dir / "vectors.txt");
        for (int clock = 0; clock < kClocks; ++clock) {
            for (const Signal input : circuit.Inputs()) {
                std::int64_t value = static_cast<std::int64_t>(random());
                const std::string& name = circuit.At(input).name;
                if (name == "ce" || name == "aclken")
                    value = clock < 4 || value % 4 != 0 ? 1 : 0;
                if (name == "reset" || name == "aresetn")
                    value = (value % 50 == 0) == (name == "reset") ? 1 : 0;
                simulation.Set(input, value);
                vectors << Bits(value, circuit.At(input).type.width) << " ";
            }
            simulation.Clock();
            for (const hardware::OutputPort& output : circuit.Outputs())
                vectors << Bits(simulation.Get(output.value), circuit.At(output.value).type.width) << " ";
            vectors << "\n";
        }
    }

    std::string VerilogBench() const
    {
        std::ostringstream tb;
        const std::string& clk = circuit.ClockName();
        tb << "`timescale 1ns/1ns\nmodule tb;\n  reg " << clk << " = 0;\n  integer file, clock, errors = 0, read;\n";
        std::string ports = "." + clk + "(" + clk + ")";
        std::string scan;
        std::string outputs;
        std::string wanted;
        for (const Signal input : circuit.Inputs()) {
            const Node& node = circuit.At(input);
            tb << "  reg [" << node.type.width - 1 << ":0] " << node.name << ";\n";
            ports += ", ." + node.name + "(" + node.name + ")";
            scan += (scan.empty() ? "" : ", ") + node.name;
        }
        for (const hardware::OutputPort& output : circuit.Outputs()) {
            const int width = circuit.At(output.value).type.width;
            tb << "  wire [" << width - 1 << ":0] " << output.name << ";\n  reg [" << width - 1 << ":0] want_"
               << output.name << ";\n";
            ports += ", ." + output.name + "(" + output.name + ")";
            scan += ", want_" + output.name;
            outputs += (outputs.empty() ? "" : ", ") + output.name;
            wanted += (wanted.empty() ? "" : ", ") + ("want_" + output.name);
        }
        std::string format;
        for (std::size_t k = 0; k < circuit.Inputs().size() + circuit.Outputs().size(); ++k)
            format += "%b ";
        tb << "  " << module << " dut (" << ports << ");\n  initial begin\n    file = $fopen(\"vectors.txt\", \"r\");\n"
           << "    for (clock = 0; clock < " << kClocks << "; clock = clock + 1) begin\n"
           << "      read = $fscanf(file, \"" << format << "\\n\", " << scan << ");\n"
           << "      #5 " << clk << " = 1; #1;\n"
           << "      if (clock >= " << settle << " && {" << outputs << "} !== {" << wanted << "}) begin\n        errors = errors + 1;\n"
           << "        if (errors < 4) $display(\"clock %0d\", clock);\n      end\n"
           << "      #4 " << clk << " = 0;\n    end\n    $display(\"errors=%0d\", errors);\n    $finish;\n  end\nendmodule\n";
        return tb.str();
    }

    std::string VhdlBench() const
    {
        const std::string& clk = circuit.ClockName();
        std::ostringstream tb;
        tb << "library ieee;\nuse ieee.std_logic_1164.all;\nuse std.textio.all;\nentity tb is\nend entity;\n"
           << "architecture sim of tb is\n  signal " << clk << " : std_logic := '0';\n";
        std::string ports = clk + " => " + clk;
        const auto type = [](int width) {
            return width == 1 ? std::string("std_logic") : "std_logic_vector(" + std::to_string(width - 1) + " downto 0)";
        };
        for (const Signal input : circuit.Inputs()) {
            const Node& node = circuit.At(input);
            tb << "  signal " << node.name << " : " << type(node.type.width) << ";\n";
            ports += ", " + node.name + " => " + node.name;
        }
        for (const hardware::OutputPort& output : circuit.Outputs()) {
            tb << "  signal " << output.name << " : " << type(circuit.At(output.value).type.width) << ";\n";
            ports += ", " + output.name + " => " + output.name;
        }
        tb << "begin\n  dut : entity work." << module << " port map (" << ports << ");\n  process\n"
           << "    file vectors : text open read_mode is \"vectors.txt\";\n    variable l : line;\n"
           << "    variable errors : natural := 0;\n";
        for (const Signal input : circuit.Inputs())
            tb << "    variable v_" << circuit.At(input).name << " : bit_vector("
               << circuit.At(input).type.width - 1 << " downto 0);\n";
        for (const hardware::OutputPort& output : circuit.Outputs())
            tb << "    variable w_" << output.name << " : bit_vector(" << circuit.At(output.value).type.width - 1
               << " downto 0);\n";
        tb << "  begin\n    for clock in 0 to " << kClocks - 1 << " loop\n      readline(vectors, l);\n";
        for (const Signal input : circuit.Inputs()) {
            const Node& node = circuit.At(input);
            tb << "      read(l, v_" << node.name << ");\n      " << node.name << " <= "
               << (node.type.width == 1 ? "to_stdulogic(v_" + node.name + "(0))" : "to_stdlogicvector(v_" + node.name + ")")
               << ";\n";
        }
        tb << "      wait for 5 ns; " << clk << " <= '1'; wait for 1 ns;\n";
        for (const hardware::OutputPort& output : circuit.Outputs()) {
            const bool bit = circuit.At(output.value).type.width == 1;
            tb << "      read(l, w_" << output.name << ");\n      if "
               << (bit ? "to_bit(" + output.name + ") /= w_" + output.name + "(0)"
                       : "to_bitvector(" + output.name + ") /= w_" + output.name)
               << " and clock >= " << settle << " then\n        errors := errors + 1;\n      end if;\n";
        }
        tb << "      wait for 4 ns; " << clk << " <= '0';\n    end loop;\n"
           << "    report \"errors=\" & integer'image(errors);\n    wait;\n  end process;\nend architecture;\n";
        return tb.str();
    }

    void Print(void (*print)(std::FILE*, const Circuit&, const UnitText&), const std::string& file) const
    {
        std::FILE* out = std::fopen((dir / file).c_str(), "w");
        ASSERT_NE(out, nullptr);
        print(out, circuit, UnitText{module, {"A circuit."}, false});
        ASSERT_EQ(std::fclose(out), 0);
    }

    // Both printers' text of `circuit`, run on random inputs, against its evaluation.
    void Prove(const std::string& label)
    {
        SCOPED_TRACE(label);
        WriteVectors();
        Print(PrintVerilog, module + ".v");
        Print(PrintVhdl, module + ".vhd");
        std::ofstream(dir / "tb.v") << VerilogBench();
        std::ofstream(dir / "tb.vhd") << VhdlBench();
        const Outcome lint = RunIn({VERILATOR, "--lint-only", "-Wall", module + ".v"});
        EXPECT_EQ(lint.status, 0) << lint.err;
        const Outcome compiled = RunIn({IVERILOG, "-o", "tb.vvp", "tb.v", module + ".v"});
        ASSERT_EQ(compiled.status, 0) << compiled.err;
        const Outcome icarus = RunIn({VVP, "-n", "tb.vvp"});
        EXPECT_NE(icarus.out.find("errors=0\n"), std::string::npos) << icarus.out;
        const Outcome ghdl = Ghdl({module + ".vhd", "tb.vhd"}, "tb");
        EXPECT_NE((ghdl.out + ghdl.err).find("errors=0"), std::string::npos) << ghdl.out << ghdl.err;
    }
};

TEST_F(Printers, IcarusAndGhdlComputeWhatTheCircuitDoes)
{
    Prove("every operation");
}

// The stream's control (advance, the configuration's loads, aresetn) as
// printed; that the circuit keeps the AXI rules its own tests prove.
TEST_F(Printers, StreamUnitsComputeWhatTheirCircuitsDo)
{
    const auto exact = [](std::int32_t divisions, const char* word) {
        TableShape shape;
        shape.divisions = divisions;
        shape.word = *WordKind::Named(word);
        shape.angle = AngleMode::Exact;
        return SineTable(shape);
    };
    module = "lumiro_sincos";
    settle = 40;
    const SineTable lean = exact(1000, "fixed:12");
    UnitChoices phase{5, true, 0, {}, {}};
    phase.axiStream = true;
    circuit = hardware::UnitCircuit(PlanUnit(lean, phase), lean);
    Prove("phase channel, aclken, 12-bit words in 16");
    const SineTable small = exact(1024, "fixed:10");
    UnitChoices nco{7, true, 32, NcoPlan{14, 0, true, true, true}, {}};
    nco.axiStream = true;
    circuit = hardware::UnitCircuit(PlanUnit(small, nco), small);
    Prove("oscillator, configuration, aresetn, aclken, interpolated");
}

}  // namespace
}  // namespace lumiro::coe
