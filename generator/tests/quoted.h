// SPDX-License-Identifier: GPL-3.0-or-later
// How a message quotes a text the user gave, written out independently of
// QuoteInput: between apostrophes, isolated by U+2068 and U+2069.
#pragma once

#include <string>

namespace lumiro::testing {

inline std::string Quoted(const std::string& text) { return "'\u2068" + text + "\u2069'"; }

}  // namespace lumiro::testing
