// SPDX-License-Identifier: GPL-3.0-or-later
// A strict reader of COE files, written from the vendor's grammar rather than
// from our writer:
//   keyword = value ;   keywords case-insensitive, blanks allowed around '='
//   memory_initialization_radix  = 2 | 10 | 16 ;
//   memory_initialization_vector = v0, v1 v2 ... ;  commas or whitespace between
//   text after a ';' up to the end of its line is a comment
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lumiro::coe::testing {

struct CoeFile {
    int radix = 0;
    std::vector<std::string> values;
};

// Empty `error` means the text was read; otherwise it says why not.
CoeFile ReadCoe(std::string_view text, std::string& error);

}  // namespace lumiro::coe::testing
