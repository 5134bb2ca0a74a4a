// SPDX-License-Identifier: GPL-3.0-or-later
// The identifiers the HDL and C formats may declare.
#pragma once

#include <cstddef>
#include <string_view>

namespace lumiro::coe {

// The longest --name taken.
inline constexpr std::size_t kLongestName = 64;

// Whether a --name is an identifier that every format may declare: a letter,
// then letters, digits and single underscores; no keyword of VHDL, Verilog,
// SystemVerilog or C, no name their standard libraries or headers reserve,
// and none of the names the formats declare themselves.
bool IsPortableIdentifier(std::string_view name);

}  // namespace lumiro::coe
