#pragma once

#include <cstddef>
#include <cstdint>

// The Mandarin readings of Han characters, made at build time from the
// Unihan database's readings (resources/pinyin/make_pinyin_table.py).
namespace pinyin_table {

extern const char* const kSyllables[]; // toneless, ascending
extern const std::size_t kSyllableCount;
extern const char32_t kCharacters[]; // ascending
extern const std::size_t kCharacterCount;
// The readings of kCharacters[i] are kReadings[kFirstReading[i]] up to kReadings[kFirstReading[i + 1]].
extern const std::uint32_t kFirstReading[];
extern const std::uint16_t kReadings[]; // indices of kSyllables

} // namespace pinyin_table
