// The texts as the check measures them: words, blanks, and the names letter case ignored.

#include "authoring/CheckParts.h"

#include "common/Cp1250.h"

namespace CheckParts {

namespace {

// What each byte of a Windows-1250 text is for counting words.
enum class ByteClass : std::uint8_t { Space, WordChar, Other };

const std::array<ByteClass, 256>& byteClasses() {
    static const std::array<ByteClass, 256> classes = [] {
        std::array<ByteClass, 256> c{};
        for (int b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            const QString decoded = Cp1250::decode(&byte, 1);
            const QChar ch = decoded.isEmpty() ? QChar(u' ') : decoded.front();
            c[std::size_t(b)] = ch.isSpace()            ? ByteClass::Space
                                : ch.isLetterOrNumber() ? ByteClass::WordChar
                                                        : ByteClass::Other;
        }
        return c;
    }();
    return classes;
}

} // namespace

std::int64_t wordsIn(const char* text, int length) {
    const std::array<ByteClass, 256>& classes = byteClasses();
    std::int64_t words = 0;
    bool inRun = false;
    bool runCounts = false;
    for (int i = 0; i < length; ++i) {
        const ByteClass c = classes[static_cast<std::uint8_t>(text[i])];
        if (c == ByteClass::Space) {
            words += runCounts ? 1 : 0;
            inRun = runCounts = false;
        } else {
            inRun = true;
            runCounts = runCounts || c == ByteClass::WordChar;
        }
    }
    return words + (inRun && runCounts ? 1 : 0);
}

bool isBlank(const char* text, int length) {
    const std::array<ByteClass, 256>& classes = byteClasses();
    for (int i = 0; i < length; ++i) {
        if (classes[static_cast<std::uint8_t>(text[i])] != ByteClass::Space)
            return false;
    }
    return true;
}

namespace {

std::size_t slotCount(std::int32_t situations) {
    std::size_t count = 16;
    while (count < 2 * std::size_t(situations))
        count *= 2;
    return count;
}

// Each byte's stand-in: the first byte whose character folds to the same one.
const std::array<std::uint8_t, 256>& folding() {
    static const std::array<std::uint8_t, 256> table = [] {
        std::array<QString, 256> folded;
        for (int b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            folded[std::size_t(b)] = Cp1250::decode(&byte, 1).toCaseFolded();
        }
        std::array<std::uint8_t, 256> t{};
        for (int b = 0; b < 256; ++b) {
            int first = 0;
            while (folded[std::size_t(first)] != folded[std::size_t(b)])
                ++first;
            t[std::size_t(b)] = static_cast<std::uint8_t>(first);
        }
        return t;
    }();
    return table;
}

} // namespace

NameIndex::NameIndex(std::int32_t situations)
    : keys_(std::size_t(situations)), slots_(slotCount(situations), -1) {}

std::int32_t NameIndex::firstOf(std::int32_t k, const std::vector<TRekordListy>& listy) {
    Key& key = keys_[std::size_t(k)];
    const Name& name = listy[std::size_t(k)].Nazwa;
    key[0] = static_cast<std::uint8_t>(name.length());
    for (int i = 0; i < name.length(); ++i)
        key[std::size_t(i) + 1] = folding()[static_cast<std::uint8_t>(name.chars[std::size_t(i)])];
    std::size_t at = hash(key) & (slots_.size() - 1);
    for (; slots_[at] >= 0; at = (at + 1) & (slots_.size() - 1)) {
        const std::int32_t other = slots_[at];
        if (keys_[std::size_t(other)] == key &&
            QString::compare(listy[std::size_t(other)].Nazwa.text(), name.text(),
                             Qt::CaseInsensitive) == 0)
            return other;
    }
    slots_[at] = k;
    return -1;
}

std::size_t NameIndex::hash(const Key& key) {
    std::uint64_t h = 1469598103934665603u; // FNV-1a
    for (int i = 0; i <= key[0]; ++i)
        h = (h ^ key[std::size_t(i)]) * 1099511628211u;
    return std::size_t(h ^ (h >> 29));
}

} // namespace CheckParts
