// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "file_error.h"
#include "i18n.h"

namespace lumiro::coe {

FileSource::FileSource(const std::string& path) : path_(path)
{
    descriptor_ = path == "-" ? ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3)
                              : ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (descriptor_ < 0)
        ThrowReadError(path, errno);
    struct stat st {};
    if (::fstat(descriptor_, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int error = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(descriptor_);
        ThrowReadError(path, error);
    }
    if (S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) > kLargestCheckedFile) {
        ::close(descriptor_);
        ThrowTooLarge();
    }
}

FileSource::~FileSource()
{
    ::close(descriptor_);
}

void FileSource::ThrowTooLarge() const
{
    if (path_ == "-")
        throw FileError(_("standard input holds more than any table (over 1 GiB); reading stopped there."));
    if (read_ > kLargestCheckedFile)  // a pipe or device, read up to the limit
        throw FileError(Printf(_("the file %s holds more than any table (over 1 GiB); reading stopped there."),
                               ShownPath(path_).c_str()));
    throw FileError(Printf(_("the file %s is larger than any table (over 1 GiB); it was not read."),
                           ShownPath(path_).c_str()));
}

std::string_view FileSource::Head(std::size_t count)
{
    while (head_.size() < count) {
        const std::size_t had = head_.size();
        head_.resize(count);
        const std::size_t got = ReadMore(head_.data() + had, count - had);
        head_.resize(had + got);
        if (got == 0)
            break;
    }
    return std::string_view(head_).substr(0, count);
}

std::size_t FileSource::Read(char* to, std::size_t room)
{
    if (headGiven_ < head_.size()) {
        const std::size_t given = std::min(room, head_.size() - headGiven_);
        std::memcpy(to, head_.data() + headGiven_, given);
        headGiven_ += given;
        return given;
    }
    return ReadMore(to, room);
}

std::size_t FileSource::ReadMore(char* to, std::size_t room)
{
    for (;;) {
        const ssize_t got = ::read(descriptor_, to, room);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            ThrowReadError(path_, errno);
        // A pipe or a device says nothing of its size: stop at the limit.
        read_ += static_cast<std::size_t>(got);
        if (read_ > kLargestCheckedFile)
            ThrowTooLarge();
        return static_cast<std::size_t>(got);
    }
}

}  // namespace lumiro::coe
