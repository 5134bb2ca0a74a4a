// SPDX-License-Identifier: GPL-3.0-or-later
// --report --frequency F: the oscillator's output for one frequency word, from
// the same model the HDL is written from: the SFDR of its quadrature output
// (cosine + j sine) measured by FFT and the SFDR that phase truncation
// predicts, side by side.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sincos_unit.h"

namespace lumiro::coe {

// Records up to this many clocks are one exact period; longer periods are
// measured over as many through a Blackman-Harris window, long enough that
// the spurs of 18 truncated bits lie 16 bins apart, clear of one another's lobes.
inline constexpr std::uint64_t kLongestExactPeriod = std::uint64_t{1} << 22;
inline constexpr std::uint64_t kWindowedClocks = kLongestExactPeriod;

struct NcoSpectrum {
    std::uint64_t frequency;
    std::uint64_t fraction;   // with a modulus
    std::uint64_t clocks;     // of the record
    bool exactPeriod;         // else windowed
    double predicted;         // dB; infinite where truncation makes no spur
    double measured;          // dB; infinite where no spur at all, NaN where no carrier
    std::size_t spurBin = 0;  // where the strongest spur is
    // Where a picture is drawn: every bin's power over the carrier's, bin k
    // at k / clocks of the clock rate (above half of it, less one).
    std::vector<float> relative;
};

NcoSpectrum MeasureNco(const UnitPlan& plan, const SineTable& quarter, std::uint64_t frequency,
                       bool keepSpectrum = false, std::uint64_t fraction = 0);

// The SFDR every frequency word keeps, for --report with --nco, in the
// user's language; empty with dither, which it does not cover.
std::string GuaranteeText(const UnitPlan& plan, const SineTable& quarter);

// The report in the user's language, for standard error.
// With the clock in Hz, the tone in Hz too.
std::string NcoReportText(const NcoSpectrum& spectrum, const UnitPlan& plan, const SineTable& quarter,
                          std::optional<double> clockHz = {});

}  // namespace lumiro::coe
