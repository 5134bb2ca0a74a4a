// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of lumiro-coe, as GNU tools read theirs (getopt_long).
#pragma once

#include <bitset>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "errors.h"
#include "format.h"
#include "option_table.h"
#include "sine_table.h"
#include "wording.h"

namespace lumiro::coe {

struct Options {
    bool help = false;
    bool version = false;
    std::bitset<kOptionCount> given;  // the options the command line holds
    const Format* format = nullptr;   // as given; the default or the checked file's kind after parsing
    std::optional<Radix> radix;       // as given
    std::optional<std::string> nameGiven;
    std::string name;                       // the identifier the format declares
    std::optional<std::string> outputPath;  // standard output when empty
    std::optional<std::string> checkPath;   // compare this file instead of writing; "-": standard input
    // Kinds that share the checked file's extension with `format` and are told
    // by its first bytes (a Lattice .mem by its header).
    std::vector<const Format*> kindsByHead;
    bool quiet = false;                     // --check tells by its status only
    TableShape shape;                       // the table: divisions, words, angles, span
    bool report = false;                    // the accuracy report on standard error
    bool sincos = false;                    // the sine/cosine unit in verilog or vhdl
    bool clockEnable = false;               // the unit's ce
    bool valid = false;                     // in_valid and out_valid
    bool axiStream = false;                 // AXI4-Stream ports
    bool phaseOffset = false;
    bool reset = false;
    bool dither = false;
    std::optional<std::string> plotPath;    // the picture of the table's quality
    std::optional<std::string> testbenchPath;  // the unit's self-checking testbench
    // The values taken as numbers, as given, until N and the unit are known.
    std::optional<Given> latencyGiven, tableWordsGiven, ncoGiven, frequencyGiven, lanesGiven, modulusGiven,
        fractionGiven;
    std::optional<std::string> clockGiven, toneGiven, resolutionGiven, sfdrGiven;
    bool design = false;                    // the unit chosen from the requirements
    std::string designSaid;                 // what it chose, for standard error
    std::optional<std::string> multiplierGiven;
    // ...and as they are then.
    std::optional<int> latency;
    std::int32_t tableWords = 0;            // interpolated between; 0: a full quarter table
    Ports ports;                            // the interpolating unit's multipliers
    int ncoBits = 0;                        // the accumulator's; 0: no oscillator
    int lanes = 1;                          // the oscillator's samples a clock
    std::uint64_t modulus = 1;              // of the fraction's accumulator; 1: none
    std::uint64_t fraction = 0;             // with the word --report measures
    std::optional<double> clockHz;
    std::string toneSaid;                   // what --tone found, for standard error
    std::vector<std::string> notes;         // the header's lines for --clock and --tone
    std::optional<std::uint64_t> frequency; // the word --report measures the oscillator at

    bool Has(OptionId id) const { return given.test(static_cast<std::size_t>(id)); }
    Radix Digits() const { return radix.value_or(Radix::Binary); }
    int LeastLatency() const;
    UnitChoices Unit() const;
};

// The arguments after the program's name. Throws UsageError, or FileError
// when the file --check names cannot be read.
Options ParseOptions(std::span<const std::string_view> arguments);

// What the table asks of a format that any format may not give: the radix,
// the depth. Throws UsageError. ParseOptions calls it for the format it
// settles on; --check again once the file's head has named its kind.
void CheckKindTakes(const Options& options, const Format& format);

// --help, in the user's language, from the tables of options and values.
std::string HelpText();
// How -o's extension chooses the format, in the user's language, from the
// formats' own extensions: --help and the manual pages say it.
std::string ExtensionRule();

}  // namespace lumiro::coe
