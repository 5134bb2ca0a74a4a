// SPDX-License-Identifier: GPL-3.0-or-later
// One printer per language, each turning any circuit into its text; and the
// header every unit's text begins with, in prose the printers comment out.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "format.h"
#include "layout.h"
#include "sincos_unit.h"

namespace lumiro::coe {

// Verilog-2005: a module with ports clk, then the circuit's inputs and outputs.
void PrintVerilog(std::FILE* out, const Circuit& circuit, const UnitText& text);
// VHDL-93: an entity with those ports, and its architecture rtl.
void PrintVhdl(std::FILE* out, const Circuit& circuit, const UnitText& text);

// C99 (and C++): the unit's words as a function of its inputs, `core` with
// its registers as wires; with `clocked`, that circuit as a state and a step.
struct CUnit {
    const Circuit& core;
    const Circuit* clocked;
    UnitText text;
    int latency;
    int delay;  // the oscillator's, with `clocked`
};
void PrintC(std::FILE* out, const CUnit& unit);
// Python 3, the same: at(phase) on an int or a numpy array, and with `clocked`
// a class Oscillator whose step() is one edge.
void PrintPython(std::FILE* out, const CUnit& unit);
// The unit's model printed by `print`: its words, from its circuit without
// the ports' protocol (--valid, --axi-stream), which stays the HDL's.
void WriteModel(std::FILE* out, const Request& request, const UnitPlan& plan, void (*print)(std::FILE*, const CUnit&));

// A testbench's view of a unit's ports: its inputs side by side in one
// vector and its outputs in another, the first port the most significant.
struct BenchPorts {
    explicit BenchPorts(const Circuit& circuit);
    int InputLow(std::size_t k) const;   // the lowest bit of input k
    int OutputLow(std::size_t k) const;  // of output k
    // A binary digit for each bit of the outputs: 1 for a handshake's.
    std::string Handshakes() const;

    const Circuit& circuit;
    int inputBits = 0;
    int outputBits = 0;
};
struct BenchText {
    std::string name;     // the testbench's
    std::string unit;     // the unit's
    std::string vectors;  // the file it reads, by default
    std::vector<std::string> header;
    std::int64_t outputs = 0;
    std::int64_t clocks = 0;
    std::string vectorsParameter;  // how a user names another file
    std::string runs;              // the commands that run it
};
// The testbench in one language, how its users name the vectors' file, and
// the simulators' commands that run it ({unit} and {bench} the files, {name}
// the testbench).
struct BenchPrinter {
    void (*print)(std::FILE* out, const BenchPorts& ports, const BenchText& text);
    const char* vectorsParameter;
    const char* runs;
};
void PrintVerilogBench(std::FILE* out, const BenchPorts& ports, const BenchText& text);
void PrintVhdlBench(std::FILE* out, const BenchPorts& ports, const BenchText& text);
// The vectors of the unit's testbench, then the testbench that reads them.
void WriteBench(std::FILE* bench, std::FILE* vectors, const BenchNames& names, const Request& request,
                const UnitPlan& plan, BenchPrinter print);
// Where a testbench's vectors go: its name with .vectors for its extension.
std::string VectorsBeside(const std::string& testbench);

// The header's lines for the unit `plan` lays out on `request.table`.
std::vector<std::string> UnitHeader(const Request& request, const UnitPlan& plan);
// The unit's text in the format's language: its circuit, its header, its name.
UnitText UnitTextOf(const Request& request, const UnitPlan& plan);

}  // namespace lumiro::coe
