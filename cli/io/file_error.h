// SPDX-License-Identifier: GPL-3.0-or-later
// A file that could not be read or written, told in the user's language.
#pragma once

#include <string>
#include <string_view>

#include "errors.h"

namespace lumiro::coe {

// The reason behind errno in the user's language, for the failures a user
// meets; the system's own text for the rest.
std::string ReasonOf(int error);

// "could not write the file 'name' (reason)." Throws FileError.
[[noreturn]] void ThrowWriteError(std::string_view path, int error);
[[noreturn]] void ThrowWriteError(std::string_view path, std::string_view reason);
[[noreturn]] void ThrowStandardOutputError(int error);
// "could not read the file 'name' (reason)."; "-" is standard input.
[[noreturn]] void ThrowReadError(std::string_view path, int error);

// A file's name as messages show it: quoted plainly where that is safe.
std::string ShownPath(std::string_view path);

}  // namespace lumiro::coe
