// SPDX-License-Identifier: GPL-3.0-or-later
// Where -o writes. A regular file (or a new name) is replaced whole or not at
// all: the table goes to a temporary beside it, which is then renamed over it.
// A device or FIFO is written directly, since renaming over it would replace
// the node itself, and so is a name for one of this process's own descriptors
// (/dev/stdout, /dev/fd/N), through that descriptor. A socket is refused.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "file_error.h"

namespace lumiro::coe {

class OutputFile {
public:
    // Follows symbolic links to what they name; refuses folders and files the
    // caller may not write. Throws FileError.
    explicit OutputFile(const std::string& path);
    ~OutputFile();  // removes the temporary unless committed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    std::FILE* Stream() const { return stream_; }

    // Flushes and, for a regular file, syncs it, renames it over the target and
    // syncs the folder. Throws FileError, leaving the target as it was.
    void Commit();

private:
    void Open();
    void Discard() noexcept;
    void OpenDirect();
    void OpenDescriptor(int descriptor);
    void OpenTemporary(const struct stat* existing);
    void AttachStream(int descriptor);
    [[noreturn]] void Fail(int error) const;
    // `why`: a message with %s for the folder.
    [[noreturn]] void FailInFolder(const char* why) const;

    std::string shownPath_;  // as the user gave it, for messages
    std::string target_;     // symbolic links resolved
    std::string temporary_;  // empty when written directly
    std::FILE* stream_ = nullptr;
    std::unique_ptr<char[]> buffer_;
};

// Whether two names given for output lead to one file: the same device and
// inode where it exists, else the same folder and name once symbolic links
// are followed.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace lumiro::coe
