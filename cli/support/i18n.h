// SPDX-License-Identifier: GPL-3.0-or-later
// lumiro-coe speaks its user's language: GNU gettext with English message ids
// and catalogs under share/locale, chosen by LANGUAGE, LC_ALL, LC_MESSAGES
// and LANG. Generated files never go through here: they are the same bytes
// in every locale.
#pragma once

#include <libintl.h>

#include <cstddef>
#include <string>
#include <string_view>

// A message in the user's language; N_ marks one for a table, translated where used.
#define _(msgid) ::gettext(msgid)
#define N_(msgid) msgid

namespace lumiro::coe {

inline constexpr char kTextDomain[] = "lumiro-coe";

// The user's locale for messages and text, C for numbers; the catalogs from
// `folder`, or else from share/locale beside the program's folder (the build
// tree and an installed prefix alike), or else from the configured prefix.
void InitLocale(const char* folder = nullptr);

// printf into a string: "%s" takes a C string, "%1$s" lets a translation
// reorder the arguments.
std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Whether the locale's charset is UTF-8. Where it is not (the C locale, an
// 8-bit charset), what lumiro-coe prints is ASCII.
bool Utf8Locale();

// A message as the locale can show it: unchanged under UTF-8; else π, ×, ±,
// ½, ° and … in ASCII words and signs.
std::string ForTerminal(std::string text);

// What the user gave, quoted for a message: as QuoteWhereNeeded does under
// UTF-8; else in ASCII, control and non-ASCII bytes as escapes (\n, \001,
// \377) that tell them apart, and cut after `maxCharacters`.
std::string Quoted(std::string_view text, std::size_t maxCharacters = 40);

// ngettext for a count: the right plural form of the language.
__attribute__((format_arg(1), format_arg(2))) inline const char* Plural(const char* one, const char* many,
                                                                       unsigned long long count)
{
    return ::ngettext(one, many, static_cast<unsigned long>(count));
}

}  // namespace lumiro::coe
