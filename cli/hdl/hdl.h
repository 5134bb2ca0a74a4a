// SPDX-License-Identifier: GPL-3.0-or-later
// What the Verilog and VHDL formats share: a case ROM, and the sine/cosine
// unit that unfolds one quarter-wave table into both quadratures, written
// from its plan.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "format.h"
#include "sincos_unit.h"

namespace lumiro::coe {

// Bits of an address into `count` words: at least one.
int AddressBits(std::int64_t count);

// The one rule for a word as a VHDL bit string: hexadecimal (X"3FFF") where
// the width is whole hexadecimal digits, else binary ("101").
Radix VhdlRadix(int width, Radix asked);
std::string VhdlWord(std::uint32_t word, int width, Radix radix);

// A Verilog case statement that loads `data` with word `address` of the table,
// 0 for an address beyond it.
void PutCaseRom(std::FILE* out, const SineTable& table, const std::string& address,
                const std::string& data, Radix radix, int addressBits, const std::string& indent);

// The unit for N as `plan` lays it out: ports clk, phase, sine and cosine
// (and ce); its quarter table is the one `request.table` holds.
void WriteSincosVerilog(std::FILE* out, const Request& request, const UnitPlan& plan);
void WriteSincosVhdl(std::FILE* out, const Request& request, const UnitPlan& plan);

// What both units share: the phase through the registers that latency beyond
// the least buys, as the wire at_ (Verilog) or the signal at (VHDL).
std::string VerilogPhaseIn(const UnitPlan& plan, const std::string& ifCe);
struct VhdlPhase {
    std::string signals;  // in the architecture's declarations
    std::string process;  // in its body
};
VhdlPhase VhdlPhaseIn(const UnitPlan& plan, const std::string& andCe);

// The oscillator in front of a unit (plan.nco): its ports, and the logic that
// makes the unit's phase from its accumulator, as the wire phase (Verilog) or
// the signal phase (VHDL); without an oscillator, the port phase.
struct NcoParts {
    std::string ports;
    std::string signals;  // VHDL's declarations
    std::string logic;
};
NcoParts VerilogNco(const UnitPlan& plan, const std::string& ifCe);
std::string NcoHeader(const UnitPlan& plan, const char* comment);  // empty without one
NcoParts VhdlNco(const UnitPlan& plan, const std::string& andCe);

// The slots every unit's template has: its comment (`header`), its head (the
// Verilog module's ports; the VHDL libraries and entity), the oscillator, the
// phase through the registers latency buys, and the clock enable's test.
struct Slot;
std::vector<Slot> UnitSlots(const Request& request, const UnitPlan& plan, std::string header, bool vhdl);

// The attributes that ask Vivado and Synplify for block RAM for a VHDL table signal.
std::string VhdlBlockRam(const std::string& table);

// The interpolating unit (plan.interpolation), in interpolating_unit.cpp.
void WriteInterpolatingVerilog(std::FILE* out, const Request& request, const UnitPlan& plan);
void WriteInterpolatingVhdl(std::FILE* out, const Request& request, const UnitPlan& plan);

}  // namespace lumiro::coe
