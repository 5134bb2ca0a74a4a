// SPDX-License-Identifier: GPL-3.0-or-later
// The line with which a file says what it holds.
#pragma once

#include <string>

#include "sine_table.h"

namespace lumiro::coe {

// One line for the formats' first comment, in English and ASCII whatever the
// locale, so that a file is the same bytes everywhere and every reader of
// every format takes it in a comment:
// "Lumiro 0.1.0: sine table, N = 8, Q = 2 words, rad_step = 0x3F490FDB (0.7853981852531433)",
// followed by what differs from the window's table.
std::string Description(const SineTable& table);

}  // namespace lumiro::coe
