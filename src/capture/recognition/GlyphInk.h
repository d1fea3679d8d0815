#pragma once

#include <QImage>
#include <QList>
#include <QRect>

namespace veyra {

// Whether a word of a line of text is drawn as one glyph of one solid upright stroke, as
// a capital I of one bar is (with or without serifs), rather than as an exclamation mark
// (a stroke with a dot below it) or as glyphs apart ("1!").
//
// The image shows the glyphs as runs of columns with ink in the line's rows (`line`, in
// the image's pixels; ink is the minority shade there), and the words as groups of runs
// split by the widest gaps between them: the line has `words` words and the one looked at
// is word number `word`, counted from 0. Given `symbols`, the engine's boxes of some of
// the word's characters, the glyph is the word's run nearest to them instead (Tesseract's
// boxes of a character may lie several pixels beside its glyph, a pixel wide). The glyph
// must have no gap between its top row and its bottom one.
bool isSolidStroke(const QImage &image, const QRect &line, int words, int word, const QList<QRect> &symbols = {});

} // namespace veyra
