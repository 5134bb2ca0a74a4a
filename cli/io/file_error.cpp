// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_error.h"

#include <cerrno>
#include <cstring>

#include "i18n.h"

namespace lumiro::coe {

std::string ReasonOf(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return _("no space left on the disk");
    case EACCES:
    case EPERM:
        return _("permission denied");
    case ENOENT:
        return _("no such folder");
    case EROFS:
        return _("read-only file system");
    case ENAMETOOLONG:
        return _("name too long");
    case EISDIR:
        return _("it is a folder");
    case EFBIG:
        return _("file too large");
    case EIO:
        return _("input/output error of the device");
    case ELOOP:
        return _("too many symbolic links, perhaps in a loop");
    case ENOTDIR:
        return _("a part of the path is not a folder");
    case EBADF:
        return _("this descriptor is not open for writing");
    case ENXIO:
        return _("a device or pipe with no one at the other end");
    default:
        return std::strerror(error);
    }
}

void ThrowWriteError(std::string_view path, int error)
{
    ThrowWriteError(path, ReasonOf(error));
}

void ThrowWriteError(std::string_view path, std::string_view reason)
{
    throw FileError(Printf(_("could not write the file %s (%s)."), ShownPath(path).c_str(),
                           std::string(reason).c_str()));
}

void ThrowStandardOutputError(int error)
{
    throw FileError(Printf(_("could not write to standard output (%s)."), ReasonOf(error).c_str()));
}

void ThrowReadError(std::string_view path, int error)
{
    const std::string reason = error == ENOENT ? _("no such file")
                               : error == EBADF ? _("not open for reading")
                                                : ReasonOf(error);
    if (path == "-")
        throw FileError(Printf(_("could not read standard input (%s)."), reason.c_str()));
    throw FileError(Printf(_("could not read the file %s (%s)."), ShownPath(path).c_str(), reason.c_str()));
}

std::string ShownPath(std::string_view path)
{
    constexpr std::size_t kLongestShownPath = 4096;
    return Quoted(path, kLongestShownPath);
}

}  // namespace lumiro::coe
