// SPDX-License-Identifier: GPL-3.0-or-later
// --check: an existing memory file compared with the table, word for word.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "format.h"
#include "text_scanner.h"
#include "write_error.h"

namespace lumiro::coe {

inline constexpr int kCheckMatches = 0;
inline constexpr int kCheckDiffers = 3;

// The largest file --check reads: larger than any table could be.
inline constexpr std::size_t kLargestCheckedFile = std::size_t{1} << 30;

// A file read a chunk at a time, refused beyond kLargestCheckedFile: a regular
// file before it is read, a pipe or device once that much came. Throws
// WriteError (its message says "odczytać").
class FileSource : public ByteSource {
public:
    explicit FileSource(const std::string& path);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::size_t Read(char* to, std::size_t room) override;

private:
    [[noreturn]] void ThrowTooLarge() const;

    std::string path_;
    int descriptor_ = -1;
    std::size_t read_ = 0;
};

// Compares what `format` reads from `text` with `table`, word by word as it
// reads, and reports in Polish to `out`. Returns kCheckMatches or
// kCheckDiffers; throws ReadError when the text is not such a file.
int CompareWithTable(TextScanner& text, const Format& format, std::optional<Radix> radix,
                     const SineTable& table, std::FILE* out);
int CompareWithTable(std::string_view text, const Format& format, std::optional<Radix> radix,
                     const SineTable& table, std::FILE* out);

}  // namespace lumiro::coe
