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

// A Verilog case statement that loads `data` with word `address` of the table,
// 0 for an address beyond it.
void PutCaseRom(std::FILE* out, const SineTable& table, const std::string& address,
                const std::string& data, Radix radix, int addressBits, const std::string& indent);

// The unit for N: ports clk, phase, sine and cosine; its quarter table is the
// one `request.table` holds (span quarter, no end sample).
void WriteSincosVerilog(std::FILE* out, const Request& request);
void WriteSincosVhdl(std::FILE* out, const Request& request);

}  // namespace lumiro::coe
