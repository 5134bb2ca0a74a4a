// SPDX-License-Identifier: GPL-3.0-or-later
// --check: an existing memory file compared with the table, word for word.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "format.h"
#include "text_scanner.h"
#include "exit_status.h"
#include "file_error.h"

namespace lumiro::coe {

// The largest file --check reads: larger than any table could be.
inline constexpr std::size_t kLargestCheckedFile = std::size_t{1} << 30;

// A file read a chunk at a time, refused beyond kLargestCheckedFile: a regular
// file before it is read, a pipe or device once that much came; "-" is
// standard input. Throws FileError.
class FileSource : public ByteSource {
public:
    explicit FileSource(const std::string& path);  // "-": standard input
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::size_t Read(char* to, std::size_t room) override;
    // Up to `count` first bytes, read once: Read hands them on again, so that a
    // pipe's head can tell its kind and still be read.
    std::string_view Head(std::size_t count);

private:
    std::size_t ReadMore(char* to, std::size_t room);
    [[noreturn]] void ThrowTooLarge() const;

    std::string path_;
    int descriptor_ = -1;
    std::size_t read_ = 0;
    std::string head_;
    std::size_t headGiven_ = 0;  // of head_, what Read has handed on
};

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
int CompareWithTable(std::string_view text, const Format& format, std::optional<Radix> radix,
                     const SineTable& table, std::FILE* out);

}  // namespace lumiro::coe
