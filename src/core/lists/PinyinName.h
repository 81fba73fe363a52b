#pragma once

#include <QByteArray>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// A name as pinyin typing finds it: each Han character by the initials or
// the whole syllables of any of its readings (湖南卫视: "hnws", "hunan",
// "hunanweishi"; 长沙: "cs" and "zs"), its Latin letters and digits as they
// stand ("cctv5" finds CCTV-5+), what else it holds (blanks, signs) passed
// over. The last syllable typed may be unfinished ("hunanw").
class PinyinName {
public:
    explicit PinyinName(QStringView name);

    // `typed` as pinyinTyping() gives it.
    bool matches(QByteArrayView typed) const;

private:
    // Eight bytes: a list of 100 000 names keeps some 600 000 of them.
    struct Unit {
        std::uint32_t character = 0; // a Han character's place in the table of readings
        char latin = 0;              // a letter (lower case) or digit; 0 for a Han character
        std::span<const std::uint16_t> readings() const;
    };
    std::vector<Unit> units_;
    std::uint64_t typeable_ = 0; // every letter and digit the name can be typed with
};

// A filter as pinyin typing: its letters in lower case and its digits,
// blanks dropped; none when it holds anything else (Chinese, signs).
std::optional<QByteArray> pinyinTyping(QStringView filter);
