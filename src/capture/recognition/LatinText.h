#pragma once

#include <QString>

namespace veyra {

// For a line read as Latin text: a word of one stroke ("l", "1", "|", or "T" before a word
// in lower case) that stands where the pronoun "I" would stand, alone before another
// word or before an apostrophe ("l'm", "1'll"), becomes "I". In many faces the capital I
// is a single vertical stroke that the engine takes for one of those; none of them is an
// English word on its own.
QString restoringCapitalI(const QString &line);

} // namespace veyra
