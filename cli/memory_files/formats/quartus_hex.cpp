// SPDX-License-Identifier: GPL-3.0-or-later
// Intel HEX as Quartus reads it to initialise a memory: one record a word,
// the address field the word's address, the word most significant byte
// first, LF line endings. Quartus documents the record types 00 (data), 01
// (end) and 02 (address offset: the segment × 16 added to the address), so
// a file reaches 2^20 words at most.
#include <string>
#include <vector>

#include "format.h"
#include "i18n.h"
#include "intel_hex.h"
#include "table.h"

namespace lumiro::coe {
namespace {

using namespace intel_hex;

constexpr std::int32_t kDeepest = 1 << 20;

void WriteQuartusHex(std::FILE* out, const Request& request)
{
    const SineTable& table = request.table;
    const int bytes = BytesPerWord(table.Width());
    std::uint8_t data[4];
    std::int32_t segment = 0;
    for (std::int32_t i = 0; i < table.Count(); ++i) {
        if ((i >> 16) != segment) {
            segment = i >> 16;
            const std::uint16_t value = static_cast<std::uint16_t>(segment << 12);  // × 16: 65536 words on
            const std::uint8_t offset[2] = {static_cast<std::uint8_t>(value >> 8), 0};
            PutRecord(out, kSegment, 0, offset, 2);
        }
        WordBytes(table.Word(i), bytes, data);
        PutRecord(out, kData, static_cast<std::uint16_t>(i & 0xFFFF), data, static_cast<std::size_t>(bytes));
    }
    PutRecord(out, kEnd, 0, nullptr, 0);
}

void ReadQuartusHex(TextScanner& scanner, int width, std::optional<Radix>, WordSink& sink)
{
    RefuseByteOrderMark(scanner);
    std::vector<std::uint32_t> words;
    std::vector<std::uint32_t> lines;  // 0: no word yet
    std::uint32_t offset = 0;
    std::size_t wordBytes = 0;
    Record record;
    bool ended = false;
    while (NextRecord(scanner, record)) {
        if (ended)
            throw LineError(record.line, _("a record after the end record."));
        if (record.type == kEnd) {
            ended = true;
        } else if (record.type == kSegment) {
            if (record.data.size() != 2)
                throw LineError(record.line, _("an address offset record holds two bytes."));
            offset = static_cast<std::uint32_t>(record.data[0] << 8 | record.data[1]) * 16;
        } else if (record.type == kData) {
            if (wordBytes == 0) {
                wordBytes = record.data.size();
                if (wordBytes == 0 || wordBytes > 4)
                    throw LineError(record.line, _("a word of 1 to 4 bytes expected."));
                if (wordBytes != static_cast<std::size_t>(BytesPerWord(width)))
                    sink.DeclaredWidth(static_cast<int>(wordBytes) * 8);
            }
            if (record.data.size() != wordBytes)
                throw LineError(record.line, _("every record must hold one word of the same size."));
            const std::uint32_t address = offset + record.address;
            if (address >= static_cast<std::uint32_t>(kMaxDivisions) + 2)
                throw LineError(record.line, _("an address beyond any table."));
            if (address >= words.size()) {
                words.resize(address + 1);
                lines.resize(address + 1);
            }
            if (lines[address] != 0)
                throw LineError(record.line, Printf(_("address %llu has a word already."),
                                                    static_cast<unsigned long long>(address)));
            std::uint32_t word = 0;
            for (std::uint8_t byte : record.data)
                word = word << 8 | byte;
            words[address] = word;
            lines[address] = static_cast<std::uint32_t>(record.line);
        } else {
            throw LineError(record.line, Printf(_("Quartus reads no record of type %02X."), record.type));
        }
    }
    if (!ended)
        scanner.Fail(_("the end record :00000001FF is missing."));
    // Records may leave addresses out: those words are not in the file.
    for (std::size_t address = 0; address < words.size(); ++address) {
        if (lines[address] == 0)
            sink.Missing();
        else
            sink.Word(words[address], lines[address]);
    }
}

const bool registered = RegisterFormat({
    .name = "quartus-hex",
    .extensions = {".hex"},
    .help = N_("Intel HEX as Quartus reads it for memory initialisation (and Platform\n"
               "Designer's on-chip memory): one record a word at the word's address, at\n"
               "most 2^20 words\n"
               "  lumiro-coe 1024 --format quartus-hex -o sine.hex"),
    .manual = N_("Intel HEX as Quartus reads it to initialise a memory (the MegaWizard or IP Catalog "
                 "RAM and ROM, and Platform Designer's on-chip memory): one record a word at the "
                 "word's address, most significant byte first, line feeds; record types 00, 01 and 02 "
                 "(the address offset, segment × 16). **--check** needs **--format** for a .hex file."),
    .rank = 36,
    .takesRadix = false,
    .defaultName = "",
    .holdsNoWords = false,
    .deepest = kDeepest,
    .write = WriteQuartusHex,
    .read = ReadQuartusHex,
});

}  // namespace
}  // namespace lumiro::coe
