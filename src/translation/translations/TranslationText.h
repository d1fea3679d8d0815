#pragma once

#include "foundation/text/Graphemes.h"

#include <QString>

namespace veyra {

// The longest text, in user-perceived characters (extended grapheme clusters), that is
// ever sent for translation.
inline constexpr qsizetype maximumTranslationTextLength = 4000;

// True when the text has more than maximumTranslationTextLength characters.
bool exceedsTranslationTextLimit(const QString &text);

// A translated text as it is shown: CR LF and lone CR become LF, and whitespace and
// line breaks are trimmed from both ends. May come back empty.
QString cleanTranslatedText(const QString &text);

} // namespace veyra
