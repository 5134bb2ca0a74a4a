// SPDX-License-Identifier: GPL-3.0-or-later
// The window's row form for a word given as 32 binary digits, built
// independently of the writer: every digit followed by a space, then ','.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>

namespace lumiro::testing {

inline std::string RowOf(std::string_view bits)
{
    std::string row;
    for (char bit : bits) {
        row += bit;
        row += ' ';
    }
    return row + ",";
}

inline std::string RowOf(std::uint32_t word) { return RowOf(std::bitset<32>(word).to_string()); }

}  // namespace lumiro::testing
