// SPDX-License-Identifier: GPL-3.0-or-later
// The bytes of a file to read, a chunk at a time: what --check reads through
// a fixed buffer, so that no file, however large, or device, however endless,
// takes more memory than the table.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lumiro::coe {

// Where a scanner's bytes come from, a chunk at a time.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to `room` bytes into `to`; 0 at the end. Throws on a failed read.
    virtual std::size_t Read(char* to, std::size_t room) = 0;
};

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

}  // namespace lumiro::coe
