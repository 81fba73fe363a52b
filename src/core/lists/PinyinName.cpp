#include "core/lists/PinyinName.h"

#include "core/lists/PinyinTable.h"


#include <algorithm>
#include <array>
#include <bitset>
#include <cstring>

namespace {

constexpr std::uint32_t kNoReading = ~std::uint32_t(0);

// The character's place in the table; kNoReading when it has no reading.
std::uint32_t lookUp(char32_t character)
{
    using namespace pinyin_table;
    const char32_t* end = kCharacters + kCharacterCount;
    const char32_t* found = std::lower_bound(kCharacters, end, character);
    return found == end || *found != character ? kNoReading : std::uint32_t(found - kCharacters);
}

// Names repeat their characters (频道 in every entry): the last ones looked
// up are kept, a slot a character's low bits, for each thread that reads names.
std::uint32_t placeOf(char32_t character)
{
    struct Slot {
        char32_t character = 0;
        std::uint32_t place = kNoReading;
    };
    thread_local std::array<Slot, 1024> recent;
    Slot& slot = recent[character & 1023];
    if (slot.character != character)
        slot = {character, lookUp(character)};
    return slot.place;
}

// The characters of a text, its surrogate pairs joined.
template <class Each>
void forEachCharacter(QStringView text, Each each)
{
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar c = text[at];
        if (c.isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate()) {
            if (!each(QChar::surrogateToUcs4(c, text[++at])))
                return;
        } else if (!each(char32_t(c.unicode()))) {
            return;
        }
    }
}

int bitOf(char c)
{
    return c >= 'a' && c <= 'z' ? c - 'a' : c >= '0' && c <= '9' ? 26 + (c - '0') : -1;
}

char typedForm(char32_t c)
{
    if (c >= 'A' && c <= 'Z')
        return char(c - 'A' + 'a');
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return char(c);
    if (c >= 0xFF21 && c <= 0xFF3A) // full-width Ａ–Ｚ
        return char(c - 0xFF21 + 'a');
    if (c >= 0xFF41 && c <= 0xFF5A)
        return char(c - 0xFF41 + 'a');
    if (c >= 0xFF10 && c <= 0xFF19)
        return char(c - 0xFF10 + '0');
    return 0;
}

// Longest typing the matcher follows; a longer filter is no pinyin.
constexpr qsizetype kLongestTyping = 63;

} // namespace

std::span<const std::uint16_t> PinyinName::Unit::readings() const
{
    using namespace pinyin_table;
    if (latin)
        return {};
    return {kReadings + kFirstReading[character], kReadings + kFirstReading[character + 1]};
}

PinyinName::PinyinName(QStringView name)
{
    units_.reserve(size_t(name.size()));
    forEachCharacter(name, [this](char32_t c) {
        Unit unit;
        unit.latin = typedForm(c);
        if (!unit.latin) {
            unit.character = placeOf(c);
            if (unit.character == kNoReading)
                return true; // blanks, signs, what has no reading
        }
        if (unit.latin) {
            typeable_ |= std::uint64_t(1) << bitOf(unit.latin);
        } else {
            for (const std::uint16_t reading : unit.readings())
                for (const char* letter = pinyin_table::kSyllables[reading]; *letter; ++letter)
                    typeable_ |= std::uint64_t(1) << bitOf(*letter);
        }
        units_.push_back(unit);
        return true;
    });
}

bool PinyinName::matches(QByteArrayView typed) const
{
    const qsizetype length = typed.size();
    if (length == 0 || length > kLongestTyping)
        return false;
    std::uint64_t wanted = 0;
    for (const char c : typed)
        wanted |= std::uint64_t(1) << bitOf(c);
    if ((wanted & typeable_) != wanted)
        return false;
    // How much of the typing is matched when the next unit comes: a bit a
    // position. A match may begin at any unit, so position 0 is always there.
    std::bitset<kLongestTyping + 1> reached;
    for (const Unit& unit : units_) {
        reached.set(0);
        std::bitset<kLongestTyping + 1> next;
        for (qsizetype at = 0; at < length; ++at) {
            if (!reached.test(size_t(at)))
                continue;
            const QByteArrayView rest = typed.sliced(at);
            if (unit.latin) {
                if (rest.front() == unit.latin)
                    next.set(size_t(at + 1));
                continue;
            }
            for (const std::uint16_t reading : unit.readings()) {
                const char* syllable = pinyin_table::kSyllables[reading];
                const qsizetype size = qsizetype(std::strlen(syllable));
                if (rest.front() != syllable[0])
                    continue;
                next.set(size_t(at + 1)); // its initial
                if (rest.size() >= size) {
                    if (rest.first(size) == QByteArrayView(syllable, size))
                        next.set(size_t(at + size)); // the whole syllable
                } else if (QByteArrayView(syllable, size).startsWith(rest)) {
                    return true; // the typing ends within this syllable
                }
            }
        }
        if (next.test(size_t(length)))
            return true;
        reached = next;
    }
    return false;
}

std::optional<QByteArray> pinyinTyping(QStringView filter)
{
    QByteArray typed;
    bool typing = true;
    forEachCharacter(filter, [&](char32_t c) {
        if (c == ' ' || c == 0x3000)
            return true;
        const char letter = typedForm(c);
        if (!letter) {
            typing = false;
            return false;
        }
        typed += letter;
        return true;
    });
    if (!typing)
        return std::nullopt;
    if (typed.isEmpty() || typed.size() > kLongestTyping)
        return std::nullopt;
    return typed;
}
