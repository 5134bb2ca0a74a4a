// SPDX-License-Identifier: GPL-3.0-or-later
#include "check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "conversions.h"
#include "text_scanner.h"

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

FileSource::FileSource(const std::string& path) : path_(path)
{
    descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
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
    throw WriteError("plik " + QuoteInput(path_, 4096) +
                     " jest większy niż jakakolwiek tablica (ponad 1 GiB); nie został odczytany.");
}

std::size_t FileSource::Read(char* to, std::size_t room)
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

namespace {

// Compares each word as the reader hands it on; keeps the first differences
// and counts the rest, so that a file of any length takes no more memory.
class Comparison : public WordSink {
public:
    explicit Comparison(const SineTable& table) : table_(table) {}

    void Word(std::uint32_t word, std::size_t line) override
    {
        const std::size_t index = read_++;
        if (index >= static_cast<std::size_t>(table_.Count()))
            return;
        const std::uint32_t want = table_.Word(static_cast<std::int32_t>(index));
        if (word == want)
            return;
        if (++differing_ <= kDifferencesShown)
            differences_ += "  słowo " + std::to_string(index) + " (wiersz " +
                            std::to_string(line) + "): jest " + Hex(word, table_.Width()) +
                            ", powinno być " + Hex(want, table_.Width()) + "\n";
    }
    void DeclaredWidth(int bits) override { declaredWidth_ = bits; }
    void WindowRows() override { windowRows_ = true; }

    // The report in Polish; whether the file holds exactly the table.
    bool Report(std::string& report) const
    {
        const auto expected = static_cast<std::size_t>(table_.Count());
        const int divisions = table_.shape().divisions;
        if (declaredWidth_ && *declaredWidth_ != table_.Width()) {
            report = "Plik ma słowa " + std::to_string(*declaredWidth_) +
                     "-bitowe, a tablica dla N = " + IntToStr(divisions) + " słowa " +
                     std::to_string(table_.Width()) + "-bitowe; słów w pliku: " +
                     std::to_string(read_) + ", w tablicy: " + std::to_string(expected) + ".\n";
            return false;
        }
        report = "Porównano słów: " + std::to_string(std::min(read_, expected)) +
                 ", różnych: " + std::to_string(differing_) + ".\n" + differences_;
        if (differing_ > kDifferencesShown)
            report += "  … i " + std::to_string(differing_ - kDifferencesShown) + " więcej\n";
        if (read_ != expected)
            report += "Plik ma słów: " + std::to_string(read_) + ", a tablica dla N = " +
                      IntToStr(divisions) + ": " + std::to_string(expected) + ".\n";
        if (windowRows_)
            report += "To wiersze bitów skopiowane z okna Lumiro. Czytnik COE firmy Xilinx "
                      "podzieli każdy z nich na 32 jednocyfrowe wartości, więc plik nie wczyta "
                      "się jako ta tablica. Plik, który się wczyta, zapisze:\n  lumiro-coe " +
                      IntToStr(divisions) + " -o tablica.coe\n";
        const bool matches = differing_ == 0 && read_ == expected && !windowRows_;
        if (matches)
            report += "Plik zawiera dokładnie tablicę dla N = " + IntToStr(divisions) + ".\n";
        return matches;
    }

private:
    const SineTable& table_;
    std::size_t read_ = 0;
    std::size_t differing_ = 0;
    std::string differences_;
    std::optional<int> declaredWidth_;
    bool windowRows_ = false;
};

}  // namespace

int CompareWithTable(TextScanner& text, const Format& format, std::optional<Radix> radix,
                     const SineTable& table, std::FILE* out)
{
    Comparison comparison(table);
    format.read(text, table.Width(), radix, comparison);
    std::string report;
    const bool matches = comparison.Report(report);
    Put(out, report);
    return matches ? kCheckMatches : kCheckDiffers;
}

int CompareWithTable(std::string_view text, const Format& format, std::optional<Radix> radix,
                     const SineTable& table, std::FILE* out)
{
    TextScanner scanner(text);
    return CompareWithTable(scanner, format, radix, table, out);
}

}  // namespace lumiro::coe
