#pragma once

#include <QSet>
#include <QString>

namespace veyra::test {

// The English keys marked in the sources under src/: texts (QT_TRANSLATE_NOOP("Veyra", ...))
// and texts that name a count (QT_TRANSLATE_N_NOOP("Veyra", ...)).
struct TranslationKeys
{
    QSet<QString> texts;
    QSet<QString> countTexts;
};

TranslationKeys translationKeysInSources();

} // namespace veyra::test
