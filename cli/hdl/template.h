// SPDX-License-Identifier: GPL-3.0-or-later
// HDL written from templates: the text of a module as it will stand, with
// named slots ${name} filled in as it is written. Our own few lines rather
// than a formatting library, whose {} would have to be doubled in every
// Verilog concatenation and would hide the HDL from its reader.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lumiro::coe {

struct Slot {
    std::string_view name;
    std::string text;
    // Instead of text, where set: puts a large part (a table of a million
    // words) straight into the file.
    std::function<void(std::FILE*)> write = {};
};

// Writes `text` with every ${name} replaced by its slot. A slot the text does
// not name, or a name without a slot, is a fault of the program: it throws
// std::logic_error before anything is written.
void PutTemplate(std::FILE* out, std::string_view text, const std::vector<Slot>& slots);
// The same as a string, for a part of a template; no writers.
std::string Filled(std::string_view text, const std::vector<Slot>& slots);

}  // namespace lumiro::coe
