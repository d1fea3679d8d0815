#pragma once

#include <QString>

#include <functional>

namespace veyra {

// What the image shows of a word of a line's text (from and to are its offsets into the
// line, to exclusive): whether it is one solid upright stroke, as a capital I of one bar is,
// rather than a stroke with a dot below it (an exclamation mark) or glyphs apart.
using SolidStrokeAt = std::function<bool(qsizetype from, qsizetype to)>;

// For a line read as Latin text: a word of one stroke that stands where the pronoun "I"
// would stand becomes "I": "l", "|" or "\" alone before another word or before an
// apostrophe ("l'm"), "T" alone before a word in lower case, "T" before the pronoun's
// contractions ("T'll"), "!" before an apostrophe ("!'m"), "1" before an apostrophe
// ("1'll") or alone before a word in lower case where a sentence starts ("1 found", but
// "only 1 day" stays). In many faces the capital I is a single vertical stroke that the
// engine takes for one of those.
// The engine also reads that stroke as "!", or as two strokes ("1!", "Il", "l!"), which
// may be text as well ("Wait ! look out.", "Level 1! go"): alone before a word in lower
// case, they become "I" only where the image shows one solid stroke there.
QString restoringCapitalI(const QString &line, const SolidStrokeAt &isSolidStroke);

} // namespace veyra
