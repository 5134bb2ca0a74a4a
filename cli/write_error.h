// SPDX-License-Identifier: GPL-3.0-or-later
// A failure to write, told in Polish.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace lumiro::coe {

class WriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The reason behind errno in Polish, for the failures a user meets; the
// system's own text for the rest.
std::string ReasonOf(int error);

// "nie udało się zapisać <where> (<reason>)."
[[noreturn]] void ThrowWriteError(std::string_view where, int error);
[[noreturn]] void ThrowWriteError(std::string_view where, std::string_view reason);

// "pliku 'name'", with the name quoted safely for a terminal.
std::string FileNamed(std::string_view path);

}  // namespace lumiro::coe
