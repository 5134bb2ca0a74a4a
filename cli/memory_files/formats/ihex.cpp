// SPDX-License-Identifier: GPL-3.0-or-later
// Ordinary byte-addressed Intel HEX, for Libero and general tools: the words
// most significant byte first, records of up to 16 bytes that never cross
// 64 KiB, an extended linear address record (04) where they pass it.
#include <string>
#include <vector>

#include "format.h"
#include "i18n.h"
#include "intel_hex.h"
#include "table.h"

namespace lumiro::coe {
namespace {

using namespace intel_hex;

constexpr std::size_t kRecordBytes = 16;

void WriteIhex(std::FILE* out, const Request& request)
{
    const SineTable& table = request.table;
    const int bytes = BytesPerWord(table.Width());
    std::uint8_t record[kRecordBytes];
    std::size_t filled = 0;
    std::uint32_t recordAddress = 0;
    std::uint32_t upper = 0;
    const auto flush = [&] {
        if (filled == 0)
            return;
        if ((recordAddress >> 16) != upper) {
            upper = recordAddress >> 16;
            const std::uint8_t linear[2] = {static_cast<std::uint8_t>(upper >> 8), static_cast<std::uint8_t>(upper)};
            PutRecord(out, kLinear, 0, linear, 2);
        }
        PutRecord(out, kData, static_cast<std::uint16_t>(recordAddress & 0xFFFFU), record, filled);
        recordAddress += static_cast<std::uint32_t>(filled);
        filled = 0;
    };
    std::uint8_t word[4];
    for (std::int32_t i = 0; i < table.Count(); ++i) {
        WordBytes(table.Word(i), bytes, word);
        for (int b = 0; b < bytes; ++b) {
            record[filled++] = word[b];
            // A record ends at 16 bytes and at every 64 KiB boundary.
            if (filled == kRecordBytes || ((recordAddress + filled) & 0xFFFFU) == 0)
                flush();
        }
    }
    flush();
    PutRecord(out, kEnd, 0, nullptr, 0);
}

// The bytes a file gives, whether each was given, and the line of each
// word's first byte: about 5 bytes a byte of table.
class Image {
public:
    explicit Image(std::size_t bytes)
        : bytes_(bytes), largest_((static_cast<std::size_t>(kMaxDivisions) + 2) * bytes)
    {
    }

    void Put(const Record& record, std::uint32_t base)
    {
        const std::size_t address = std::size_t{base} + record.address;
        if (address + record.data.size() > largest_)
            throw LineError(record.line, _("an address beyond any table."));
        if (address + record.data.size() > image_.size()) {
            image_.resize(address + record.data.size());
            given_.resize(image_.size());
            lines_.resize((image_.size() + bytes_ - 1) / bytes_);
        }
        for (std::size_t i = 0; i < record.data.size(); ++i) {
            if (given_[address + i])
                throw LineError(record.line, Printf(_("byte %llu is given twice."),
                                                    static_cast<unsigned long long>(address + i)));
            image_[address + i] = record.data[i];
            given_[address + i] = true;
            if ((address + i) % bytes_ == 0)
                lines_[(address + i) / bytes_] = static_cast<std::uint32_t>(record.line);
        }
    }

    // The words in address order; records may leave gaps, and a word with a
    // byte in one is not in the file.
    void Hand(TextScanner& scanner, WordSink& sink) const
    {
        if (image_.size() % bytes_ != 0)
            scanner.Fail(Printf(_("%zu bytes are no whole number of words of %zu bytes."), image_.size(), bytes_));
        for (std::size_t at = 0; at < image_.size(); at += bytes_) {
            std::uint32_t word = 0;
            bool whole = true;
            for (std::size_t i = 0; i < bytes_; ++i) {
                word = word << 8 | image_[at + i];
                whole = whole && given_[at + i];
            }
            if (whole)
                sink.Word(word, lines_[at / bytes_]);
            else
                sink.Missing();
        }
    }

private:
    std::size_t bytes_;
    std::size_t largest_;
    std::vector<std::uint8_t> image_;
    std::vector<bool> given_;
    std::vector<std::uint32_t> lines_;
};

void ReadIhex(TextScanner& scanner, int width, std::optional<Radix>, WordSink& sink)
{
    RefuseByteOrderMark(scanner);
    Image image(static_cast<std::size_t>(BytesPerWord(width)));
    std::uint32_t base = 0;
    Record record;
    bool ended = false;
    while (NextRecord(scanner, record)) {
        if (ended)
            throw LineError(record.line, _("a record after the end record."));
        switch (record.type) {
        case kEnd: ended = true; break;
        case kSegment:
        case kLinear:
            if (record.data.size() != 2)
                throw LineError(record.line, _("an address record holds two bytes."));
            base = static_cast<std::uint32_t>(record.data[0] << 8 | record.data[1]) << (record.type == kLinear ? 16 : 4);
            break;
        case kStartSegment:
        case kStartLinear: break;  // where a processor starts: nothing of the memory
        default: image.Put(record, base);
        }
    }
    if (!ended)
        scanner.Fail(_("the end record :00000001FF is missing."));
    image.Hand(scanner, sink);
}

const bool registered = RegisterFormat({
    .name = "ihex",
    .extensions = {".hex"},
    .help = N_("byte-addressed Intel HEX for Libero and general tools: the words most\n"
               "significant byte first, 16 bytes a record\n"
               "  lumiro-coe 1024 --format ihex -o sine.hex"),
    .manual = N_("Byte-addressed Intel HEX for Libero (the memory's initialisation in its "
                 "Configurator) and general tools: the words most significant byte first, 16 bytes a "
                 "record, a type 04 record where the addresses pass 64 KiB."),
    .rank = 38,
    .takesRadix = false,
    .defaultName = "",
    .holdsNoWords = false,
    .write = WriteIhex,
    .read = ReadIhex,
});

}  // namespace
}  // namespace lumiro::coe
