#pragma once

#include <QString>

namespace veyra {

// For a line read as Latin text: a word of one stroke that stands where the pronoun "I"
// would stand becomes "I": "l", "|" or "\" alone before another word or before an
// apostrophe ("l'm"), "T" or "!" alone before a word in lower case ("! told you"), "!"
// before an apostrophe, "T" before the pronoun's contractions ("T'll"), "1" before an
// apostrophe ("1'll") or alone before a word in lower case where a sentence starts
// ("1 found", but "only 1 day" stays). In many faces the capital I is a single vertical
// stroke that the engine takes for one of those.
QString restoringCapitalI(const QString &line);

} // namespace veyra
