#pragma once

#include <QImage>
#include <QRect>

#include <optional>

namespace veyra {

// Which shade the ink of a grey image is: the minority of dark pixels (below 128) and light
// ones, dark where they are (true). Nothing for an image of one shade throughout, which
// holds no ink.
std::optional<bool> inkIsDarkIn(const QImage &grey);

// Whether a word of a line of text is drawn as one glyph of one solid upright stroke, as
// a capital I of one bar is (with or without serifs), rather than as an exclamation mark
// (a stroke with a dot below it) or as glyphs apart ("1!").
//
// The image shows the glyphs as runs of columns with ink in the line's rows (`line`, in
// the image's pixels; ink is the minority shade there), and the words as groups of runs
// split at the widest gaps between them: the line has `words` words, and the one looked at
// is word number `word`, counted from 0. (Tesseract's own boxes of a word of one glyph may
// lie several pixels beside it, a pixel wide.) The word must be one run whose ink has no
// gap between its top row and its bottom one.
bool isSolidStroke(const QImage &image, const QRect &line, int words, int word);

} // namespace veyra
