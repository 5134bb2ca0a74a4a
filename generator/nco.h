// SPDX-License-Identifier: GPL-3.0-or-later
// The numerically controlled oscillator in front of the sine/cosine unit: an
// accumulator of A bits that adds a frequency word on every clock, its top
// log2 N bits the unit's phase (the rest truncated), with an optional phase
// offset and dither below the truncated bits; the theory of phase truncation
// predicts its worst spur.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumiro {

inline constexpr int kWidestAccumulator = 64;

// The dither's source: a 64-bit Fibonacci LFSR of maximal length, shifting
// left with the new bit in bit 0, the XOR of the bits at its taps, stepped as
// many times a clock as bits are truncated; its low truncated bits are the
// dither.
inline constexpr std::uint64_t kDitherSeed = 0x9E3779B97F4A7C15;
inline constexpr std::array<int, 4> kDitherTaps{63, 62, 60, 59};
// Its polynomial, "x^64 + x^63 + x^61 + x^60 + 1", and its seed in hexadecimal.
std::string DitherPolynomial();
std::string DitherSeedText();

struct NcoPlan {
    int accumulatorBits;  // A
    int phaseBits;        // log2 N
    bool phaseOffset;     // an input phase_offset, added after the accumulator
    bool reset;           // a synchronous, active-high reset of the accumulator (and the dither)
    bool dither;
    // Samples a clock: lane j is the accumulator, which adds lanes times the
    // frequency word, plus j times it, through log2(lanes) more adders.
    int lanes = 1;
    // D: a second accumulator counts the input fraction modulo D and carries
    // one into the first as it wraps, so that after n clocks the accumulator
    // holds floor(n (F D + B) / D) mod 2^A; 1: none.
    std::uint64_t modulus = 1;
    int fractionBits() const { return static_cast<int>(std::bit_width(modulus - 1)); }
    int truncatedBits() const { return accumulatorBits - phaseBits; }
    // Its adders work in carry segments of this many bits, each a clock after
    // the one below, so that no carry chain is longer whatever A: the
    // accumulator's value leaves them Segments() - 1 clocks later.
    static constexpr int kSegmentBits = 6;
    int Segments() const { return (accumulatorBits + kSegmentBits - 1) / kSegmentBits; }
    std::uint64_t mask() const
    {
        return accumulatorBits == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << accumulatorBits) - 1;
    }
};

// The unit's error as one complex output, cosine + j sine, against
// A e^(2 pi j p/N) (A the word for +1), as shares of A: the largest, and the
// RMS over the phases a word visits where it visits a set of them evenly
// (every phase, or every 2^i-th from one: byLevel[i], the largest such set's).
struct ComplexError {
    double largest = 0;
    std::vector<double> byLevel;  // i from 0 while a set has 8 phases or more
};

// The SFDR in dB that an oscillator without dither keeps for every frequency
// word, at least (the README derives it): for a word whose truncated bits are
// not all zero, the worst truncation spur, (pi/N)/2 of the carrier, plus the
// error over every phase, against a carrier of cos(pi/N) less it; for a word
// of whole phases 2^i apart, that set's error against the carrier less it,
// and no spur at all where the set holds 4 phases or fewer, which the unit
// gives as exact quarter turns. Infinite where no word has a spur.
double GuaranteedSfdr(const NcoPlan& plan, const ComplexError& error);

// The adders each lane's value comes through after the accumulator and the
// offset: log2 of the lanes.
int LaneDepth(const NcoPlan& plan);

// The worst spur of phase truncation without dither, below the carrier, in dB
// (the SFDR it allows): for t truncated bits and a word with s trailing zeros
// the truncation error has period M = 2^(t - s), and its worst spur is
// (pi / 2^P) / (M sin(pi / M)) of the carrier. Infinite where no bit that
// matters is truncated (s >= t).
// With a modulus D the accumulator is one of 2^A D steps of F D + B, and M is
// D 2^t over gcd(F D + B, D 2^t).
double PredictedTruncationSfdr(const NcoPlan& plan, std::uint64_t frequency, std::uint64_t fraction = 0);

// Clocks until the output repeats: 2^A D / gcd(F D + B, 2^A D); 0 where that
// is 2^64 or more.
std::uint64_t NcoPeriod(const NcoPlan& plan, std::uint64_t frequency, std::uint64_t fraction = 0);

// A tone as a share of the clock: the frequency word nearest it, and the
// exact oscillator for it, F + B/D steps of 2^-A a clock.
struct Tone {
    std::uint64_t numerator;    // the tone over the clock, in lowest terms
    std::uint64_t denominator;
    std::uint64_t nearest;      // the word nearest the tone without a modulus
    std::uint64_t frequency;    // F
    std::uint64_t fraction;     // B, below D
    std::uint64_t modulus;      // D
    bool exact;                 // F + B/D is the tone
};
inline constexpr std::uint64_t kMostModulus = std::uint64_t{1} << 32;
// For a tone of numerator/denominator of the clock, 0 < it < 1/2: with `modulus`
// 0, the least D up to kMostModulus that makes it exact (else none: nullopt);
// with a modulus given, the F and B nearest the tone for it.
std::optional<Tone> ToneFor(const NcoPlan& plan, std::uint64_t numerator, std::uint64_t denominator,
                            std::uint64_t modulus = 0);

}  // namespace lumiro
