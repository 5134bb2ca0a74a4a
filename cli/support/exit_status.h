// SPDX-License-Identifier: GPL-3.0-or-later
// What lumiro-coe's exit status says: the statuses and their meanings, which
// --help and the test of the manual pages read.
#pragma once

#include "i18n.h"

namespace lumiro::coe {

enum ExitStatus : int {
    kSucceeded = 0,
    kFailed = 1,
    kWrongCall = 2,
    kDiffers = 3,
};

struct ExitMeaning {
    ExitStatus status;
    const char* meaning;  // N_(): in English, translated where shown
};

inline constexpr ExitMeaning kExitMeanings[] = {
    {kSucceeded, N_("written, or the checked file holds exactly the table")},
    {kFailed, N_("a write or read failed")},
    {kWrongCall, N_("a wrong call (nothing was written)")},
    {kDiffers, N_("the checked file differs from the table")},
};

}  // namespace lumiro::coe
