// SPDX-License-Identifier: GPL-3.0-or-later
// The window's table for N, Q single-precision sines, as the tests of the
// window and of lumiro-coe compare with it.
#pragma once

#include <cstdint>

#include "sine_table.h"

namespace lumiro::testing {

inline SineTable WindowTable(std::int32_t divisions)
{
    TableShape shape;
    shape.divisions = divisions;
    return SineTable(shape);
}

}  // namespace lumiro::testing
