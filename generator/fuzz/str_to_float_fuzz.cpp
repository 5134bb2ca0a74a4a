// SPDX-License-Identifier: GPL-3.0-or-later
// StrToFloat on any text: an accepted text yields a finite single that is the
// double reading of the same text rounded to single, or its neighbour (where
// rounding through the double would round twice); a refused one, our own error.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "conversions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    float value = 0;
    try {
        value = lumiro::StrToFloat(text);
    } catch (const lumiro::Exception& error) {
        if (error.what()[0] != '\'')
            std::abort();
        return 0;
    }
    if (!std::isfinite(value))
        std::abort();

    // strtod in the C locale as the second opinion; it takes '.', so the comma goes.
    std::string plain = text;
    for (char& c : plain)
        if (c == ',')
            c = '.';
    const double reference = std::strtod(plain.c_str(), nullptr);
    const auto single = static_cast<float>(reference);
    const bool agrees = value == single || value == std::nextafter(single, INFINITY) ||
                        value == std::nextafter(single, -INFINITY);
    if (!agrees || std::signbit(value) != std::signbit(reference))
        std::abort();
    return 0;
}
