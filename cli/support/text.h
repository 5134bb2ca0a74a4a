// SPDX-License-Identifier: GPL-3.0-or-later
// Small helpers for the texts lumiro-coe puts together.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace lumiro::coe {

// Lower case, for keywords and names taken in any case.
inline std::string Lowered(std::string_view text)
{
    std::string lowered(text);
    for (char& c : lowered)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lowered;
}

// The pieces one after another. (GCC 12 warns falsely on "literal" + std::string
// at -O2, bug 105329; appending says the same without the warning.)
inline std::string Joined(std::initializer_list<std::string_view> pieces)
{
    std::string text;
    for (std::string_view piece : pieces)
        text.append(piece);
    return text;
}

}  // namespace lumiro::coe
