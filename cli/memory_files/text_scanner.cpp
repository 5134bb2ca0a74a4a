// SPDX-License-Identifier: GPL-3.0-or-later
#include "text_scanner.h"

#include <cstring>

#include "i18n.h"

namespace lumiro::coe {

ReadError LineError(std::size_t line, const std::string& what)
{
    return ReadError(Printf(_("line %zu: %s"), line, what.c_str()));
}

std::string RestOfLine(TextScanner& scanner)
{
    std::string line(scanner.TakeWhile([](char c) { return c != '\n'; }));
    scanner.Advance();
    if (line.ends_with('\r'))
        line.pop_back();
    return line;
}

std::string HeaderValue(TextScanner& scanner, std::string_view key)
{
    const std::size_t line = scanner.Line();
    const std::string text = RestOfLine(scanner);
    const std::string expected = Joined({"#", key, "="});
    if (Lowered(std::string_view(text).substr(0, expected.size())) != Lowered(expected))
        throw LineError(line, Printf(_("%s expected in the header."), (expected + "...").c_str()));
    return text.substr(expected.size());
}

std::uint64_t HeaderNumber(TextScanner& scanner, std::string_view key, std::uint64_t lowest,
                           std::uint64_t highest)
{
    const std::size_t line = scanner.Line();
    const std::string value = HeaderValue(scanner, key);
    const auto number = ParseDigits(value, 10);
    if (!number || *number < lowest || *number > highest)
        throw LineError(line, Printf(_("#%s takes a number from %llu to %llu (got %s)."), std::string(key).c_str(),
                                     static_cast<unsigned long long>(lowest),
                                     static_cast<unsigned long long>(highest), Quoted(value).c_str()));
    return *number;
}

namespace {

// Room for the longest run kept and as much again read after it.
constexpr std::size_t kBufferBytes = 2 * TextScanner::kLongestRun;

}  // namespace

TextScanner::TextScanner(ByteSource& source)
    : source_(&source), buffer_(std::make_unique<char[]>(kBufferBytes))
{
    text_ = {buffer_.get(), 0};
}

std::string_view TextScanner::Ahead(std::size_t count)
{
    while (text_.size() - at_ < count && Refill(at_)) {
    }
    return text_.substr(at_, count);
}

bool TextScanner::Refill(std::size_t& keep)
{
    if (source_ == nullptr)
        return false;
    const std::size_t shift = keep;
    const std::size_t kept = text_.size() - shift;
    if (kept >= kLongestRun)
        Fail(Printf(_("a run of more than %zu bytes without a break: this is no such file."),
                    kLongestRun));
    std::memmove(buffer_.get(), text_.data() + shift, kept);
    const std::size_t at = at_ - shift;
    keep = 0;  // `keep` may be at_ itself
    at_ = at;
    const std::size_t got = source_->Read(buffer_.get() + kept, kBufferBytes - kept);
    text_ = {buffer_.get(), kept + got};
    return got > 0;
}

}  // namespace lumiro::coe
