// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of lumiro-coe.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "format.h"
#include "sine_table.h"

namespace lumiro::coe {

struct Options {
    bool help = false;
    bool version = false;
    std::int32_t divisions = 0;
    const Format* format = nullptr;  // as given; the default or the checked file's kind after parsing
    Radix radix = Radix::Binary;
    bool radixGiven = false;
    std::string name;                       // the identifier the format declares
    std::optional<std::string> outputPath;  // standard output when empty
    std::optional<std::string> checkPath;   // compare this file instead of writing
    TableShape shape;                       // the table: divisions, words, angles, span
    bool report = false;                    // the accuracy report on standard error
};

// A wrong call: the message is Polish and complete, ready for standard error.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The arguments after the program's name. Throws UsageError.
Options ParseOptions(std::span<const std::string_view> arguments);

std::string HelpText();

}  // namespace lumiro::coe
