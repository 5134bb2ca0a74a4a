// SPDX-License-Identifier: GPL-3.0-or-later
// --check: an existing memory file compared with the table, word for word.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "format.h"
#include "write_error.h"

namespace lumiro::coe {

inline constexpr int kCheckMatches = 0;
inline constexpr int kCheckDiffers = 3;

// The largest file --check reads: larger than any table could be.
inline constexpr std::size_t kLargestCheckedFile = std::size_t{1} << 30;

// The whole file, refused beyond kLargestCheckedFile without reading it all.
// Throws WriteError (its message says "odczytać").
std::string ReadWholeFile(const std::string& path);

// Compares what `format` reads from `text` with `table` and reports in Polish
// to `out`. Returns kCheckMatches or kCheckDiffers; throws ReadError when the
// text is not such a file.
int CompareWithTable(std::string_view text, const Format& format, std::optional<Radix> radix,
                     const WordTable& table, std::FILE* out);

}  // namespace lumiro::coe
