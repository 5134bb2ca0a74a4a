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
    case ELOOP:
        return "za dużo dowiązań symbolicznych, być może w pętli";
    case ENOTDIR:
        return "część ścieżki nie jest folderem";
    case EBADF:
        return "ten deskryptor nie jest otwarty do zapisu";
    case ENXIO:
        return "urządzenie albo potok bez odbiorcy";
    default:
        return std::strerror(error);
    }
}

void ThrowWriteError(std::string_view where, int error)
{
    ThrowWriteError(where, ReasonOf(error));
}

void ThrowWriteError(std::string_view where, std::string_view reason)
{
    throw WriteError("nie udało się zapisać " + std::string(where) + " (" + std::string(reason) + ").");
}

std::string FileNamed(std::string_view path)
{
    constexpr std::size_t kLongestShownPath = 4096;
    return "pliku " + QuoteInput(path, kLongestShownPath);
}

}  // namespace lumiro::coe
