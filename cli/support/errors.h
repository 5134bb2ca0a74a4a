// SPDX-License-Identifier: GPL-3.0-or-later
// What lumiro-coe refuses or fails on. Each message is complete, in the user's
// language, ready for standard error; the kind decides the exit status.
#pragma once

#include <stdexcept>

namespace lumiro::coe {

// A wrong call: nothing was written.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reading or writing a file failed: the message says which, what, and why.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file that is not what its format says: the message names the line.
class ReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace lumiro::coe
