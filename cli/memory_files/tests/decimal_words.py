#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Signed decimal words as a numpy user computes and writes them, for N = 1024,
# a full period of 16-bit words:
#   decimal_words.py write FILE        a COE file, as a script would write it
#   decimal_words.py read-coe FILE     exits 0 when the COE holds those words
#   decimal_words.py read-mif FILE     likewise for a MIF file with DATA_RADIX=DEC
import math
import re
import sys

N = 1024
WORDS = [round(math.sin(2 * math.pi * i / N) * 32767) for i in range(N)]


def coe_words(text):
    text = "\n".join(line.split(";", 1)[0] if line.lstrip().startswith(";") else line
                     for line in text.splitlines())
    radix = re.search(r"memory_initialization_radix\s*=\s*(\d+)\s*;", text, re.I).group(1)
    vector = re.search(r"memory_initialization_vector\s*=([^;]*);", text, re.I).group(1)
    assert radix == "10", radix
    return [int(value) for value in re.split(r"[,\s]+", vector.strip())]


def mif_words(text):
    text = re.sub(r"--[^\n]*", "", text)
    assert re.search(r"DATA_RADIX\s*=\s*DEC\s*;", text, re.I)
    body = re.search(r"CONTENT\s+BEGIN(.*)END\s*;", text, re.I | re.S).group(1)
    pairs = re.findall(r"(\d+)\s*:\s*(-?\d+)\s*;", body)
    return [int(value) for address, value in sorted(pairs, key=lambda p: int(p[0]))]


command, path = sys.argv[1], sys.argv[2]
if command == "write":
    with open(path, "w") as out:
        out.write("memory_initialization_radix=10;\nmemory_initialization_vector=\n")
        out.write(",\n".join(str(word) for word in WORDS) + ";\n")
    sys.exit(0)
with open(path) as file:
    words = (coe_words if command == "read-coe" else mif_words)(file.read())
sys.exit(0 if words == WORDS else 1)
