#pragma once

#include <QString>

namespace veyra {

// True for the characters of Japanese writing: Han ideographs, hiragana, katakana
// (half-width forms and the prolonged sound mark included) and the CJK symbols and
// punctuation (、。「」々…), but not the ideographic space. Hangul is not among them.
bool isHanOrKana(char32_t scalar);

// Removes every run of spaces that stands between two Han or kana characters. Japanese
// is written without spaces, but a recogniser may put some between its characters.
// Spaces elsewhere (between Hangul words, beside Latin letters or digits) stay.
QString removingSpacesBetweenHanAndKana(const QString &text);

// For a line read as Japanese: also removes the spaces between a Han or kana character
// and punctuation beside it (the engine sets "!" and "?" apart as in English), in either
// order. Spaces between Latin letters or digits stay.
QString removingSpacesInJapanese(const QString &text);

} // namespace veyra
