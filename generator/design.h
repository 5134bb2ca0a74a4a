// SPDX-License-Identifier: GPL-3.0-or-later
// From an engineer's requirements to the unit: a clock, a resolution and an
// SFDR in; the accumulator, the phase bits, the word and the table out, the
// fewest block RAM bits whose SFDR guaranteed for every frequency word meets
// the SFDR asked for.
#pragma once

#include <cstdint>
#include <optional>

namespace lumiro {

struct Requirements {
    double clockHz;
    double resolutionHz;  // the accumulator's step at most this
    double sfdrDb;
    int width = 0;        // of a fixed:W word; 0: the design's choice
};

struct Design {
    int accumulatorBits = 0;   // A
    std::int32_t divisions = 0;  // N = 2^P
    int width = 0;             // W of fixed:W
    std::int32_t tableWords = 0;  // M, interpolated between; 0: the lean unit's N/4
    double guaranteed = 0;     // dB, for every frequency word
    std::int64_t memoryBits = 0;  // the table's
    int multipliers = 0;
};

// The phase bits tried beyond the least the truncation allows.
inline constexpr int kDesignPhaseBitsTried = 3;

struct DesignOutcome {
    std::optional<Design> chosen;  // none where no unit tried meets the SFDR
    Design best;                   // the highest guarantee of those tried
    // Where even the most phases' truncation falls short: what it allows, in
    // dB, and nothing is tried.
    std::optional<double> truncationAllows;
};

// The accumulator whose step clock / 2^A is at most the resolution: 0 where
// none of up to 64 bits is.
int AccumulatorFor(const Requirements& asked);

// Tries the lean and the interpolating unit for each phase count from the
// least whose truncation could meet the SFDR, each with the narrowest word
// that meets it (or the one asked for); the accumulator at least as wide as
// the phase.
DesignOutcome DesignUnit(const Requirements& asked);

// The plain rule's table: P = ceil(SFDR / 6.02) phase bits, W = P + 1, no
// interpolation, N/4 words of W bits.
std::int64_t PlainRuleBits(double sfdrDb);

}  // namespace lumiro
