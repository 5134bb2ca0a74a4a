// SPDX-License-Identifier: GPL-3.0-or-later
// Intel HEX records, as the quartus-hex and ihex formats write and read them:
//   :LLAAAATTDD...CC   LL data bytes, AAAA address, TT type, CC the two's
//                      complement of the sum of all bytes before it
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "format.h"
#include "i18n.h"
#include "text_scanner.h"

namespace lumiro::coe::intel_hex {

enum Type : std::uint8_t { kData = 0, kEnd = 1, kSegment = 2, kStartSegment = 3, kLinear = 4, kStartLinear = 5 };

inline int BytesPerWord(int width)
{
    return (width + 7) / 8;
}

inline void PutRecord(std::FILE* out, std::uint8_t type, std::uint16_t address, const std::uint8_t* data,
                      std::size_t length)
{
    constexpr char kHex[] = "0123456789ABCDEF";
    char line[1 + 2 * (4 + 255 + 1) + 1];
    std::size_t at = 0;
    unsigned sum = 0;
    line[at++] = ':';
    const auto put = [&](std::uint8_t byte) {
        line[at++] = kHex[byte >> 4];
        line[at++] = kHex[byte & 0xFU];
        sum += byte;
    };
    put(static_cast<std::uint8_t>(length));
    put(static_cast<std::uint8_t>(address >> 8));
    put(static_cast<std::uint8_t>(address & 0xFFU));
    put(type);
    for (std::size_t i = 0; i < length; ++i)
        put(data[i]);
    put(static_cast<std::uint8_t>(-sum & 0xFFU));
    line[at++] = '\n';
    std::fwrite(line, 1, at, out);
}

// A word's bytes, most significant first.
inline void WordBytes(std::uint32_t word, int bytes, std::uint8_t* out)
{
    for (int i = 0; i < bytes; ++i)
        out[i] = static_cast<std::uint8_t>(word >> (8 * (bytes - 1 - i)));
}

struct Record {
    std::uint8_t type = 0;
    std::uint16_t address = 0;
    std::vector<std::uint8_t> data;
    std::size_t line = 0;
};

// The next record, strictly: its length, its checksum and a known type; blank
// lines between records. False at the end of the text.
inline bool NextRecord(TextScanner& scanner, Record& record)
{
    scanner.SkipBlanks();
    if (scanner.AtEnd())
        return false;
    record.line = scanner.Line();
    if (!scanner.Take(':'))
        scanner.Fail(_("a record must start with ':'."));
    const std::string digits(scanner.TakeWhile([](char c) { return !TextScanner::IsBlank(c); }));
    std::vector<std::uint8_t> bytes;
    for (std::size_t at = 0; at + 1 < digits.size(); at += 2) {
        const auto byte = ParseDigits(std::string_view(digits).substr(at, 2), 16);
        if (!byte)
            break;
        bytes.push_back(static_cast<std::uint8_t>(*byte));
    }
    if (digits.size() % 2 != 0 || bytes.size() * 2 != digits.size() || bytes.size() < 5 ||
        bytes.size() != 5U + bytes[0])
        throw LineError(record.line, _("not a record: its length or its hexadecimal digits are wrong."));
    unsigned sum = 0;
    for (std::uint8_t byte : bytes)
        sum += byte;
    if ((sum & 0xFFU) != 0)
        throw LineError(record.line, _("the record's checksum is wrong."));
    record.type = bytes[3];
    if (record.type > kStartLinear)
        throw LineError(record.line, Printf(_("there is no record type %02X."), record.type));
    record.address = static_cast<std::uint16_t>(bytes[1] << 8 | bytes[2]);
    record.data.assign(bytes.begin() + 4, bytes.end() - 1);
    return true;
}

}  // namespace lumiro::coe::intel_hex
