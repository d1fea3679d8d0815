#pragma once

#include <QString>

namespace veyra {

// Splits the text at every whitespace character (a grapheme cluster whose first scalar
// has the Unicode White_Space property), drops empty pieces and joins the rest with
// single U+0020 spaces. Nothing else changes.
QString collapseWhitespace(const QString &text);

// True for the scalars with the Unicode White_Space property.
bool isUnicodeWhiteSpace(char32_t scalar);

} // namespace veyra
