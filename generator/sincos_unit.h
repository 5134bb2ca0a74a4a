// SPDX-License-Identifier: GPL-3.0-or-later
// The sine/cosine unit that unfolds one quarter-wave table into both
// quadratures: its plan (how wide its phase and address are, where a phase
// falls in the quarter table, how the word found there is turned, how many
// clocks it takes) and a bit-exact model of its outputs. The HDL is written
// from the plan and the report measures the model, so the two cannot disagree.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "nco.h"
#include "sine_table.h"

namespace lumiro {

// Rising edges from a phase to its sine and cosine: the block RAM's read (at
// an address worked out from the phase), its output registered with the peak
// put in, the word turned. The fourth edge registers the words as read, the
// fifth the address, each one more the phase.
inline constexpr int kLeastUnitLatency = 3;
inline constexpr int kMostUnitLatency = 16;
// The interpolating unit's: the read, the words registered, the two
// products, their sums rounded, the turn; second order adds the products'
// rounding and their own products with d/2.
inline constexpr int kLeastInterpolatingLatency = 5;
inline constexpr int kLeastSecondOrderLatency = 7;
// First order has stages of its own up to this latency (the multiplier's
// register, its operands apart from the block RAM, the sum in two parts, d
// an adder a stage); beyond it the phase is registered on its way in. Its
// default packs the DSP slices' registers and adders of Xilinx 7.
inline constexpr int kFullInterpolatingLatency = 9;
inline constexpr int kDefaultInterpolatingLatency = 7;
// Behind an oscillator the lean unit registers its read's address by
// default, so that the mirror's carry chain has a clock of its own.
inline constexpr int kOscillatorLatency = 5;

// The signed widths of a target's multiplier ports, 25 and 18 for a
// DSP48E1: each product's d goes to the narrow one, its other operand to the
// wide one, cut to fit where the error budget allows.
struct MultiplierPorts {
    int wide = 0;
    int narrow = 0;
};
inline constexpr int kNarrowestPort = 8;
inline constexpr int kWidestPort = 64;

struct UnitChoices {
    int latency = kLeastUnitLatency;
    bool clockEnable = false;  // a port ce: while low, no register changes but for reset's
    std::int32_t tableWords = 0;  // M, interpolated between; 0: the whole quarter table
    std::optional<NcoPlan> nco;   // an accumulator in front (its phaseBits set by PlanUnit)
    std::optional<MultiplierPorts> ports;  // of the interpolating unit's multipliers
    bool valid = false;  // out_valid (and in_valid, without an oscillator)
    bool axiStream = false;  // AXI4-Stream ports
};

// Interpolation between the M points of a quarter table, for N a power of
// two and fixed:W words at the exact angle. The points sit in the middle of
// their steps, a_i = (i + 1/2) * pi/2M, so that a phase's offset r in its
// quadrant is a point i = r >> S and a signed fine angle d from it, the low S
// bits of r with their top bit flipped:
//   sin(a + d) ~ sin a + d cos a,  cos(a + d) ~ cos a - d sin a,  d = f * 2pi/N,
// sin a and cos a the table's words at i and M - 1 - i (the complement of i),
// read through the two ports of one block RAM, |d| at most half a step.
// Where the width needs it, second order takes off (d/2)(d sin a) and
// (d/2)(d cos a), the other output's first-order product times d/2.
// Every quantity is an integer, so that the HDL and the model agree bit for
// bit; `bound` keeps every output within 1 LSB.
struct Interpolation {
    int tableBits;            // log2 M
    int fractionBits;         // S = log2(N/4) - log2 M
    int guardBits;            // g: the table's bits below the output's last place
    int tableWidth;           // of an unsigned table word: W - 1 + g
    int piBits;               // c: pi = round(pi/2 * 2^c)
    std::int64_t pi;
    int slopeBits;            // F: d * (N/4) * 2^F = round(f * pi / 2^(c - F))
    int extraBits;            // X: the products' bits kept below the table's last place
    int wordCut;              // t: a word's low bits the product leaves out, to fit a port
    int productShift;         // log2(N/4) + F - X - t, the products rounded there
    std::optional<MultiplierPorts> ports;  // the products' operands fit these
    int order;                // 1 or 2
    double bound;             // the error bound in LSB, final rounding included
    std::vector<std::int64_t> table;  // sin(a_i) * (2^(W-1) - 1) * 2^g, rounded
    // Proven when planned, every phase against the exact value: the largest
    // error of a sine or cosine in LSB, and where it reached 1 LSB, if anywhere.
    double largestError = 0;
    std::optional<std::int64_t> missedPhase;
    int slopeWidth() const { return fractionBits + 1 + slopeBits; }  // signed bits of d
};

// Why an interpolating unit cannot be built, or None.
enum class InterpolationFault {
    None,
    NotPowerOfTwo,   // N, or M, is no power of two
    TableSize,       // M is below 4 or not below N/4
    Angle,           // the window's angle: its float32 step means nothing between points
    Word,            // not fixed:W with W from 8 to 24
    TooFewWords,     // M too small for first-order interpolation to stay within 1 LSB
};
// Each takes the multipliers' ports, where the products must fit them.
using Ports = std::optional<MultiplierPorts>;
InterpolationFault CheckInterpolation(const TableShape& quarter, std::int32_t tableWords, const Ports& ports = {});
// The least --latency a unit takes, and the one it has by default.
int LeastLatency(const TableShape& quarter, std::int32_t tableWords, const Ports& ports = {});
int DefaultLatency(const TableShape& quarter, std::int32_t tableWords, bool oscillator, const Ports& ports = {});
// The fewest table words with which W-bit words of N stay within 1 LSB.
std::int32_t LeastTableWords(const TableShape& quarter, const Ports& ports = {});
// The order of interpolation for M words (1, or 2 where first order would
// miss); 0 where neither keeps within 1 LSB.
int InterpolationOrder(const TableShape& quarter, std::int32_t tableWords, const Ports& ports = {});
inline constexpr int kNarrowestInterpolated = 8;
inline constexpr std::int32_t kLeastTableWords = 4;
// The most phases an interpolating unit takes: 2^26, above any table's N.
inline constexpr std::int32_t kMostInterpolatedDivisions = std::int32_t{1} << 26;
inline constexpr int kWidestInterpolated = 24;

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
    bool twosComplement;     // fixed:W words: widened by their sign
    int latency;
    bool clockEnable;
    // out_valid: high for the outputs of a valid phase (in_valid), or behind
    // an oscillator from the first outputs after power-up or reset on.
    bool valid = false;
    // AXI4-Stream ports: the phase (or the oscillator's configuration) in, the
    // words out, every register held while an output beat waits.
    bool axiStream = false;
    std::optional<Interpolation> interpolation;  // with --table-words
    std::optional<NcoPlan> nco;                  // with --nco
    bool registersRead() const { return latency > kLeastUnitLatency; }
    bool registersAddress() const { return latency > kLeastUnitLatency + 1; }
    // Registers between the phase input and the first stage.
    int phaseDelay() const
    {
        if (interpolation)
            return interpolation->order == 2 ? latency - kLeastSecondOrderLatency
                                             : std::max(0, latency - kFullInterpolatingLatency);
        return latency > kLeastUnitLatency + 2 ? latency - kLeastUnitLatency - 2 : 0;
    }
};

// The plan for the quarter table `quarter` (span quarter, no end sample, N
// divisible by 4, signed words); an interpolating one (choices.tableWords,
// CheckInterpolation passed) is proven on every phase as it is planned.
UnitPlan PlanUnit(const SineTable& quarter, const UnitChoices& choices = {});

// The unit's sine and cosine at a phase: its circuit's evaluation
// (hardware::UnitModel) gives them.
struct SineCosine {
    std::uint32_t sine;
    std::uint32_t cosine;
};

// Enabled rising edges from the k-th one after power-up or reset to the sine
// and cosine of the oscillator's k-th value, k x frequency: the unit's
// latency, the oscillator's stages and its carry segments' skew.
int OscillatorDelay(const UnitPlan& plan);

// Bits rounded up to whole bytes: how the unit's stream ports carry a value.
inline constexpr int WholeBytes(int bits)
{
    return (bits + 7) / 8 * 8;
}

// The shape of the full period the unit's outputs are measured against.
TableShape UnitPeriod(const TableShape& quarter);

}  // namespace lumiro
