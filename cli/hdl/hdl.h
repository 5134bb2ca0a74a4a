// SPDX-License-Identifier: GPL-3.0-or-later
// What the Verilog and VHDL formats share: a case ROM, and the sine/cosine
// unit that unfolds one quarter-wave table into both quadratures.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "format.h"

namespace lumiro::coe {

// The rising edges of clk from a phase to its sine and cosine.
inline constexpr int kSincosLatency = 3;

// Bits of an address into `count` words: at least one.
int AddressBits(std::int64_t count);

// The unit's geometry, worked out once for both languages: how wide its
// phase and address are, where a phase falls in the quarter table and how
// the word found there is turned.
struct UnitPlan {
    std::int32_t divisions;  // N, the phases of a turn
    std::int32_t quarter;    // Q = N/4, the quarter table's words
    int phaseBits;           // ceil(log2 N)
    int addressBits;         // into the quarter table
    int width;               // of a word
    // The samples sit half a step on: no phase falls on 90 degrees, and the
    // mirror of k is 2Q - 1 - k; else 90 and 270 degrees are the peak.
    bool halfStep;
    std::uint32_t peak;      // the word for +1
    // Negated by the sign bit, +0 staying +0 (floats), or in two's
    // complement (fixed point, and offset binary, whose negation is the same).
    bool signBitNegation;
    int latency;             // rising edges from phase to outputs
};
UnitPlan PlanUnit(const SineTable& table);

// The one rule for a word as a VHDL bit string: hexadecimal (X"3FFF") where
// the width is whole hexadecimal digits, else binary ("101").
Radix VhdlRadix(int width, Radix asked);
std::string VhdlWord(std::uint32_t word, int width, Radix radix);

// A Verilog case statement that loads `data` with word `address` of the table,
// 0 for an address beyond it.
void PutCaseRom(std::FILE* out, const SineTable& table, const std::string& address,
                const std::string& data, Radix radix, int addressBits, const std::string& indent);

// The unit for N: ports clk, phase, sine and cosine; its quarter table is the
// one `request.table` holds (span quarter, no end sample).
void WriteSincosVerilog(std::FILE* out, const Request& request);
void WriteSincosVhdl(std::FILE* out, const Request& request);

}  // namespace lumiro::coe
