// SPDX-License-Identifier: GPL-3.0-or-later
// The sine/cosine unit that unfolds one quarter-wave table into both
// quadratures: its plan (how wide its phase and address are, where a phase
// falls in the quarter table, how the word found there is turned, how many
// clocks it takes) and a bit-exact model of its outputs. The HDL is written
// from the plan and the report measures the model, so the two cannot disagree.
#pragma once

#include <cstdint>
#include <vector>

#include "sine_table.h"

namespace lumiro {

// Rising edges from a phase to its sine and cosine: the block RAM's read (at
// an address worked out from the phase), its output registered with the peak
// put in, the word turned. The fourth edge registers the words as read, the
// fifth the address, each one more the phase.
inline constexpr int kLeastUnitLatency = 3;
inline constexpr int kMostUnitLatency = 16;

struct UnitChoices {
    int latency = kLeastUnitLatency;
    bool clockEnable = false;  // a port ce: while low, no register changes
};

struct UnitPlan {
    std::int32_t divisions;  // N, the phases of a turn
    std::int32_t quarter;    // Q = N/4, the quarter table's words
    int phaseBits;           // ceil(log2 N)
    int addressBits;         // into the quarter table, at least 1
    int width;               // of a word
    // N a power of two of at least 8: the quadrant is the phase's top two
    // bits and the offset in it the others, so no comparison is needed.
    bool quadrantFromTopBits;
    // The samples sit half a step on: no phase falls on 90 degrees, and the
    // mirror of k is 2Q - 1 - k; else 90 and 270 degrees are the peak.
    bool halfStep;
    std::uint32_t peak;      // the word for +1
    // Negated by the sign bit, +0 staying +0 (floats), or in two's
    // complement (fixed point, and offset binary, whose negation is the same).
    bool signBitNegation;
    int latency;
    bool clockEnable;
    bool registersRead() const { return latency > kLeastUnitLatency; }
    bool registersAddress() const { return latency > kLeastUnitLatency + 1; }
    // Registers between the phase input and the address's.
    int phaseDelay() const { return latency > kLeastUnitLatency + 2 ? latency - kLeastUnitLatency - 2 : 0; }
};

// The plan for the quarter table `quarter` (span quarter, no end sample, N
// divisible by 4, signed words).
UnitPlan PlanUnit(const SineTable& quarter, const UnitChoices& choices = {});

// Where phase position k (0 <= k < N) falls in the quarter table.
struct UnitPlace {
    std::int32_t address;  // meaningless where peak is set
    bool peak;             // the word for 1 instead of a table word
    bool negated;          // in the second half turn
};
UnitPlace PlaceOf(const UnitPlan& plan, std::int64_t k);

// The unit's outputs at a phase 0 <= phase < N, as its HDL computes them.
std::uint32_t UnitSine(const UnitPlan& plan, const SineTable& quarter, std::int64_t phase);
std::uint32_t UnitCosine(const UnitPlan& plan, const SineTable& quarter, std::int64_t phase);

// The unit's sine at every phase 0..N-1: the words its report measures,
// against the ideals of the table of shape UnitPeriod(quarter.shape()). The
// cosine's are the same words a quarter turn on, against the same ideals.
std::vector<std::uint32_t> UnitSineSweep(const UnitPlan& plan, const SineTable& quarter);
TableShape UnitPeriod(const TableShape& quarter);

}  // namespace lumiro
