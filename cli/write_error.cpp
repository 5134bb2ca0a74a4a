// SPDX-License-Identifier: GPL-3.0-or-later
#include "write_error.h"

#include <cerrno>
#include <cstring>

#include "conversions.h"

namespace lumiro::coe {

std::string ReasonOf(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return "brak miejsca na dysku";
    case EACCES:
    case EPERM:
        return "brak uprawnień";
    case ENOENT:
        return "nie ma takiego folderu";
    case EROFS:
        return "system plików tylko do odczytu";
    case ENAMETOOLONG:
        return "za długa nazwa";
    case EISDIR:
        return "to jest folder";
    case EFBIG:
        return "plik jest za duży";
    case EIO:
        return "błąd wejścia-wyjścia urządzenia";
    default:
        return std::strerror(error);
    }
}

void ThrowWriteError(std::string_view where, int error)
{
    throw WriteError("nie udało się zapisać " + std::string(where) + " (" + ReasonOf(error) + ").");
}

std::string FileNamed(std::string_view path)
{
    constexpr std::size_t kLongestShownPath = 4096;
    return "pliku " + QuoteInput(path, kLongestShownPath);
}

}  // namespace lumiro::coe
