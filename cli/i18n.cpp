// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <filesystem>

namespace lumiro::coe {

void InitLocale(const char* folder)
{
    std::setlocale(LC_ALL, "");
    // Numbers keep their '.' in reports and files whatever the language.
    std::setlocale(LC_NUMERIC, "C");
    std::string catalogs = folder != nullptr ? folder : LUMIRO_LOCALEDIR;
    if (folder == nullptr) {
        std::error_code error;
        const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
        const auto beside = program.parent_path().parent_path() / "share" / "locale";
        if (!error && std::filesystem::is_directory(beside, error))
            catalogs = beside.string();
    }
    ::bindtextdomain(kTextDomain, catalogs.c_str());
    ::textdomain(kTextDomain);
}

std::string Printf(const char* format, ...)
{
    std::va_list arguments;
    va_start(arguments, format);
    std::va_list again;
    va_copy(again, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, arguments);
    va_end(arguments);
    std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
    if (length > 0)
        std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    return text;
}

}  // namespace lumiro::coe
