// SPDX-License-Identifier: GPL-3.0-or-later
#include "check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "conversions.h"

namespace lumiro::coe {
namespace {

constexpr std::size_t kDifferencesShown = 10;

[[noreturn]] void ThrowReadError(const std::string& path, int error)
{
    const std::string reason = error == ENOENT ? "nie ma takiego pliku" : ReasonOf(error);
    throw WriteError("nie udało się odczytać " + FileNamed(path) + " (" + reason + ").");
}

std::string Hex(std::uint32_t word, int width)
{
    char buffer[32];
    return std::string(WordDigits(word, width, Radix::Hex, buffer));
}

}  // namespace

std::string ReadWholeFile(const std::string& path)
{
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0)
        ThrowReadError(path, errno);
    struct stat st {};
    if (::fstat(descriptor, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int error = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(descriptor);
        ThrowReadError(path, error);
    }
    const auto tooLarge = [&] {
        ::close(descriptor);
        throw WriteError("plik " + QuoteInput(path, 4096) +
                         " jest większy niż jakakolwiek tablica (ponad 1 GiB); nie został odczytany.");
    };
    if (S_ISREG(st.st_mode) && static_cast<std::uint64_t>(st.st_size) > kLargestCheckedFile)
        tooLarge();

    std::string text;
    if (S_ISREG(st.st_mode))
        text.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(descriptor, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int error = errno;
            ::close(descriptor);
            ThrowReadError(path, error);
        }
        if (got == 0)
            break;
        // A pipe or a device says nothing of its size: stop at the limit.
        if (text.size() + static_cast<std::size_t>(got) > kLargestCheckedFile)
            tooLarge();
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(descriptor);
    return text;
}

int CompareWithTable(std::string_view text, const Format& format, std::optional<Radix> radix,
                     const WordTable& table, std::FILE* out)
{
    const ReadTable read = format.read(text, table.width, radix);
    const auto expected = static_cast<std::size_t>(table.depth);
    const std::size_t compared = std::min(read.words.size(), expected);

    std::size_t differing = 0;
    std::string differences;
    for (std::size_t i = 0; i < compared; ++i) {
        const std::uint32_t want = table.word(static_cast<std::int32_t>(i));
        if (read.words[i].word == want)
            continue;
        if (++differing <= kDifferencesShown)
            differences += "  słowo " + std::to_string(i) + " (wiersz " +
                           std::to_string(read.words[i].line) + "): jest " +
                           Hex(read.words[i].word, table.width) + ", powinno być " +
                           Hex(want, table.width) + "\n";
    }
    if (differing > kDifferencesShown)
        differences += "  … i " + std::to_string(differing - kDifferencesShown) + " więcej\n";

    std::string report = "Porównano słów: " + std::to_string(compared) +
                         ", różnych: " + std::to_string(differing) + ".\n" + differences;
    if (read.words.size() != expected)
        report += "Plik ma słów: " + std::to_string(read.words.size()) +
                  ", a tablica dla N = " + IntToStr(table.divisions) + ": " +
                  std::to_string(expected) + ".\n";
    if (read.windowRows)
        report += "To wiersze bitów skopiowane z okna Lumiro. Czytnik COE firmy Xilinx podzieli "
                  "każdy z nich na 32 jednocyfrowe wartości, więc plik nie wczyta się jako ta "
                  "tablica. Plik, który się wczyta, zapisze:\n  lumiro-coe " +
                  IntToStr(table.divisions) + " -o tablica.coe\n";
    const bool matches = differing == 0 && read.words.size() == expected && !read.windowRows;
    if (matches)
        report += "Plik zawiera dokładnie tablicę dla N = " + IntToStr(table.divisions) + ".\n";
    Put(out, report);
    return matches ? kCheckMatches : kCheckDiffers;
}

}  // namespace lumiro::coe
