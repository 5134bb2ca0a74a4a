// SPDX-License-Identifier: GPL-3.0-or-later
// The table lumiro-coe writes: how many words, how wide, and word i itself.
// The samples come from the generator, so the default table is the window's,
// bit for bit.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "sine_table.h"

namespace lumiro::coe {

struct WordTable {
    std::int32_t divisions = 0;  // N
    std::int32_t depth = 0;      // words
    float step = 0.0F;           // rad_step, the angle between samples
    int width = 32;              // bits a word
    std::function<std::uint32_t(std::int32_t index)> word;
    std::shared_ptr<const SineTable> samples;  // where the words come from
};

WordTable TableFor(const TableShape& shape);

// The same table with every word worked out once and kept: for a table that
// is read twice, written and then measured.
WordTable Precomputed(const WordTable& table);

// The window's table for N: Q single-precision sines.
WordTable WindowTable(std::int32_t divisions);

// One line that says what the table is, for the formats' first comment:
// "Lumiro 0.1.0: tablica sinusa, N = 8, Q = 2, rad_step = 0x3F490FDB (0.7853981852531433)",
// followed by what differs from the window's table. ASCII only.
std::string Description(const WordTable& table);

}  // namespace lumiro::coe
