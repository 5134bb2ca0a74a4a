// SPDX-License-Identifier: GPL-3.0-or-later
// What lumiro-coe's exit status says, as --help and the manual page tell it.
#pragma once

namespace lumiro::coe {

enum ExitStatus : int {
    kSucceeded = 0,  // written, or the checked file holds exactly the table
    kFailed = 1,     // a write or read failed
    kWrongCall = 2,  // a wrong call: nothing was written
    kDiffers = 3,    // the checked file differs from the table
};

}  // namespace lumiro::coe
