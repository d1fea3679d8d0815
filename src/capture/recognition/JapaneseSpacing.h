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

// For a line read as Japanese: removes every run of spaces beside a Han or kana
// character, whatever stands on its other side (the engine sets "!", "?" and Latin words
// apart as in English; Japanese writes them without spaces). Spaces between Latin words
// stay.
QString removingSpacesInJapanese(const QString &text);

} // namespace veyra
