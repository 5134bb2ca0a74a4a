// The command line of lumiro-coe.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "table_writer.h"

namespace lumiro::coe {

struct Options {
    bool help = false;
    std::int32_t divisions = 0;
    Format format = Format::Coe;
    Radix radix = Radix::Binary;
    std::optional<std::string> outputPath;  // standard output when empty
};

// A wrong call: the message is Polish and complete, ready for standard error.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The arguments after the program's name. Throws UsageError.
Options ParseOptions(std::span<const std::string_view> arguments);

extern const std::string_view kHelpText;

}  // namespace lumiro::coe
