// SPDX-License-Identifier: GPL-3.0-or-later
// --check: an existing memory file compared with the table, word for word.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "format.h"
#include "exit_status.h"
#include "file_source.h"
#include "text_scanner.h"

namespace lumiro::coe {

// The kind of the file `source` reads: `byName`, unless its first bytes are
// of one of `byHead`.
const Format& KindOfFile(const Format& byName, const std::vector<const Format*>& byHead, FileSource& source);

// How a table is asked for beside N on the command line ("--span full").
using ShapeSpeller = std::string (*)(const TableShape&);

// Compares what `format` reads from `text` with `table`, word by word as it
// reads, and reports in the user's language to `out` (nothing when `quiet`).
// A file of another number or width of words is told which table it holds,
// in the words of `spell`. Returns kSucceeded or kDiffers; throws ReadError
// when the text is not such a file.
int CompareWithTable(TextScanner& text, const Format& format, std::optional<Radix> radix,
                     const SineTable& table, std::FILE* out, bool quiet = false, ShapeSpeller spell = nullptr);
}  // namespace lumiro::coe
