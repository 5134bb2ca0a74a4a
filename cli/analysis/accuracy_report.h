// SPDX-License-Identifier: GPL-3.0-or-later
// --report: how good a table is before it takes block RAM. Errors are measured
// against the exact sine of the ideal angle 2πi/N, in units of the word's
// last place; the SFDR is that of one full period built from the table.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "provenance.h"

namespace lumiro::coe {

struct Accuracy {
    std::int64_t words = 0;
    // In units of the last place (ulp or LSB) at the larger of |ideal| and |word|.
    double largestError = 0;
    double lowestError = 0;   // signed: below the ideal value, the same unit
    double highestError = 0;  // signed: above it
    double largestAbsoluteError = 0;
    double rmsError = 0;
    std::int64_t correctlyRounded = 0;  // words that are the ideal sine's correct rounding
    std::optional<double> sfdr;         // dBc; none for periods shorter than 4
    std::size_t spurBin = 0;            // where the strongest spur is

    // What a picture shows, where asked for: the signed error of every word in
    // the unit above, and the power of every bin 0..N/2 over the carrier's.
    std::vector<float> errors;
    std::vector<float> spectrum;
};

// Measures `words` in place of the table's own where given (a unit's sweep).
Accuracy MeasureAccuracy(const SineTable& table, bool keepDetail = false,
                         std::span<const std::uint32_t> words = {});

// Carrier (bin 1) against the strongest other bin, DC included, in dBc.
std::optional<double> SpuriousFreeRange(std::span<const double> period);

// The report in the user's language, for standard error.
// `ofUnit`: the words were a --sincos unit's sine over every phase.
std::string ReportText(const Accuracy& accuracy, const SineTable& table, bool ofUnit = false);

}  // namespace lumiro::coe
