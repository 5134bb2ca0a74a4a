#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints the words of a Quartus memory HEX file, one a line in hexadecimal,
by word address. Every record is decoded by python3-intelhex (its length,
checksum and type); only the addressing, a word at each address, is ours."""
import sys

import intelhex


def main(path):
    words = {}
    offset = 0
    with open(path) as lines:
        for number, line in enumerate(lines, 1):
            line = line.rstrip("\n")
            if not line:
                continue
            record = intelhex.IntelHex()
            record._offset = offset
            try:
                record._decode_record(line, number)
            except intelhex._EndOfFile:
                break
            offset = record._offset  # a type 02 record moves it: segment × 16
            data = record.todict()
            if data:
                address = min(data)
                words[address] = bytes(data[a] for a in sorted(data))
    for address in range(len(words)):
        print(words[address].hex().upper())


if __name__ == "__main__":
    try:
        main(sys.argv[1])
    except intelhex.HexReaderError as error:
        print(error, file=sys.stderr)
        sys.exit(1)
