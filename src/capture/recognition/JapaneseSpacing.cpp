#include "capture/recognition/JapaneseSpacing.h"

#include <QStringView>

namespace veyra {

namespace {

bool isRemovableSpace(char32_t scalar)
{
    return scalar == U' ' || scalar == U'\t';
}

// The scalar that starts at `index`, and the number of UTF-16 units it takes.
char32_t scalarAt(const QString &text, qsizetype index, qsizetype *length)
{
    const QChar first = text.at(index);
    if (first.isHighSurrogate() && index + 1 < text.size() && text.at(index + 1).isLowSurrogate()) {
        *length = 2;
        return QChar::surrogateToUcs4(first, text.at(index + 1));
    }
    *length = 1;
    return first.unicode();
}

} // namespace

bool isHanOrKana(char32_t scalar)
{
    return (scalar >= 0x3001 && scalar <= 0x303F) // CJK symbols and punctuation, without U+3000
        || (scalar >= 0x3040 && scalar <= 0x30FF) // hiragana, katakana
        || (scalar >= 0x31F0 && scalar <= 0x31FF) // katakana phonetic extensions
        || (scalar >= 0x3400 && scalar <= 0x4DBF) // CJK extension A
        || (scalar >= 0x4E00 && scalar <= 0x9FFF) // CJK unified ideographs
        || (scalar >= 0xF900 && scalar <= 0xFAFF) // CJK compatibility ideographs
        || (scalar >= 0xFF61 && scalar <= 0xFF9F) // half-width punctuation and katakana
        || (scalar >= 0x20000 && scalar <= 0x3FFFF); // CJK extensions B and later
}

namespace {

// Drops each run of spaces whose neighbours `joins` accepts.
template <typename Joins>
QString removingSpaces(const QString &text, Joins joins)
{
    QString result;
    result.reserve(text.size());
    // The scalars either side of a run of spaces; 0 at the start or end of the text.
    char32_t previous = 0;
    qsizetype index = 0;
    while (index < text.size()) {
        qsizetype length = 0;
        const char32_t scalar = scalarAt(text, index, &length);
        if (!isRemovableSpace(scalar)) {
            previous = scalar;
            result += QStringView(text).mid(index, length);
            index += length;
            continue;
        }
        qsizetype end = index;
        while (end < text.size() && isRemovableSpace(text.at(end).unicode())) {
            ++end;
        }
        char32_t next = 0;
        if (end < text.size()) {
            qsizetype nextLength = 0;
            next = scalarAt(text, end, &nextLength);
        }
        if (!joins(previous, next)) {
            result += QStringView(text).mid(index, end - index);
        }
        index = end;
    }
    return result;
}

} // namespace

QString removingSpacesBetweenHanAndKana(const QString &text)
{
    return removingSpaces(
        text, [](char32_t before, char32_t after) { return isHanOrKana(before) && isHanOrKana(after); });
}

QString removingSpacesInJapanese(const QString &text)
{
    return removingSpaces(text, [](char32_t before, char32_t after) {
        return before != 0 && after != 0 && (isHanOrKana(before) || isHanOrKana(after));
    });
}

} // namespace veyra
