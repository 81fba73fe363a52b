#!/usr/bin/env python3
"""Writes the table of Mandarin readings the list's filter matches pinyin by,
from the Unihan database's readings (Debian's unicode-data package):
every reading of each Han character that kMandarin, kHanyuPinlu,
kHanyuPinyin, kTGHZ2013 and kXHC1983 give, without tones, ü as "v" and "u".

    make_pinyin_table.py Unihan_Readings.txt[.bz2] out.cpp
"""
import bz2
import sys
import unicodedata

FIELDS = {"kMandarin", "kHanyuPinlu", "kHanyuPinyin", "kTGHZ2013", "kXHC1983"}


def toneless(reading):
    """The readings as typed: marks off, ü as v and as u."""
    plain = []
    for char in unicodedata.normalize("NFD", reading.lower()):
        if unicodedata.category(char) == "Mn" and char != "\u0308":
            continue
        plain.append(char)
    text = unicodedata.normalize("NFC", "".join(plain))
    if "ü" in text:
        return {text.replace("ü", "v"), text.replace("ü", "u")}
    return {text} if text.isascii() and text.isalpha() else set()


def readings_of(field, value):
    for token in value.split():
        token = token.split("(")[0]           # kHanyuPinlu: "lè(283)"
        token = token.split(":")[-1]          # "0683.040:lè"
        for reading in token.replace("*", "").split(","):
            if reading:
                yield from toneless(reading)


def main(source, out):
    opener = bz2.open if source.endswith(".bz2") else open
    readings = {}
    with opener(source, "rt", encoding="utf-8") as lines:
        for line in lines:
            if not line.startswith("U+"):
                continue
            code, field, value = line.rstrip("\n").split("\t", 2)
            if field in FIELDS:
                readings.setdefault(int(code[2:], 16), set()).update(readings_of(field, value))
    syllables = sorted({s for found in readings.values() for s in found})
    index = {s: i for i, s in enumerate(syllables)}
    codes = sorted(c for c in readings if readings[c])
    with open(out, "w", encoding="utf-8") as cpp:
        cpp.write("// Made by resources/pinyin/make_pinyin_table.py from Unihan_Readings.txt; not to be edited.\n")
        cpp.write('#include "core/lists/PinyinTable.h"\n\nnamespace pinyin_table {\n\n')
        cpp.write("const char* const kSyllables[] = {\n")
        for s in syllables:
            cpp.write(f'    "{s}",\n')
        cpp.write("};\nconst std::size_t kSyllableCount = %d;\n\n" % len(syllables))
        cpp.write("const char32_t kCharacters[] = {\n")
        for start in range(0, len(codes), 12):
            cpp.write("    " + ", ".join("0x%X" % c for c in codes[start:start + 12]) + ",\n")
        cpp.write("};\nconst std::size_t kCharacterCount = %d;\n\n" % len(codes))
        first, flat = [], []
        for c in codes:
            first.append(len(flat))
            flat.extend(sorted(index[s] for s in readings[c]))
        first.append(len(flat))
        cpp.write("const std::uint32_t kFirstReading[] = {\n")
        for start in range(0, len(first), 16):
            cpp.write("    " + ", ".join(str(v) for v in first[start:start + 16]) + ",\n")
        cpp.write("};\n\nconst std::uint16_t kReadings[] = {\n")
        for start in range(0, len(flat), 20):
            cpp.write("    " + ", ".join(str(v) for v in flat[start:start + 20]) + ",\n")
        cpp.write("};\n\n} // namespace pinyin_table\n")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
