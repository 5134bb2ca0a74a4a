// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n.h"

#include <langinfo.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <utility>

#include "conversions.h"

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

bool Utf8Locale()
{
    const std::string_view codeset = ::nl_langinfo(CODESET);
    return codeset == "UTF-8" || codeset == "utf8";
}

std::string ForTerminal(std::string text)
{
    if (Utf8Locale())
        return text;
    static constexpr std::pair<std::string_view, std::string_view> kAscii[] = {
        {"2πi", "2*pi*i"}, {"π", "pi"}, {"×", "x"}, {"±", "+/-"}, {"½", "1/2"}, {"°", " deg"}, {"…", "..."},
    };
    for (const auto& [symbol, ascii] : kAscii)
        for (std::size_t at = 0; (at = text.find(symbol, at)) != std::string::npos; at += ascii.size())
            text.replace(at, symbol.size(), ascii);
    return text;
}

std::string Quoted(std::string_view text, std::size_t maxCharacters)
{
    if (Utf8Locale())
        return QuoteWhereNeeded(text, maxCharacters);
    std::string quoted = "'";
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (at == maxCharacters) {
            quoted += "...";
            break;
        }
        const auto byte = static_cast<unsigned char>(text[at]);
        switch (byte) {
        case '\n': quoted += "\\n"; break;
        case '\t': quoted += "\\t"; break;
        case '\r': quoted += "\\r"; break;
        case '\\': quoted += "\\\\"; break;
        case '\'': quoted += "\\'"; break;
        default:
            if (byte >= 0x20 && byte < 0x7F) {
                quoted += static_cast<char>(byte);
            } else {
                const char octal[] = {'\\', static_cast<char>('0' + (byte >> 6)),
                                      static_cast<char>('0' + ((byte >> 3) & 7)), static_cast<char>('0' + (byte & 7))};
                quoted.append(octal, sizeof octal);
            }
        }
    }
    return quoted + "'";
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
