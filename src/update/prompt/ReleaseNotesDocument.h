#pragma once

#include <QString>

#include <memory>

class QFont;
class QTextDocument;
class QThread;

namespace veyra {

struct ReleaseNotes;

// Release notes come from the network, and Qt's rich text costs far more than their size
// suggests: tables nested fifteen deep in 225 bytes take a quarter of a second to lay out,
// every further level about doubles that, a table of a thousand rows takes a third of a
// second, and a padding or margin of a table near the limit of layout coordinates hangs
// the layout for good; reading (parsing) deeply nested markup grows with the square of its
// depth. Everything laid out on the GUI thread happens again at every resize, so rich
// notes are read on a worker, measured there, and handed over only when their layout is
// cheap; otherwise they are shown as plain text.

// Notes are shown as plain text, cut to this many characters, beyond this length.
inline constexpr qsizetype maximumShownReleaseNotesLength = 32 * 1024;

// The plain text shown for notes: the text itself, cut at a character boundary after
// maximumShownReleaseNotesLength characters with an ellipsis.
QString shownReleaseNotesText(const QString &text);

// The document that shows rich (HTML or Markdown) notes: read with `font` as its default
// font and `margin` as its margin, refusing every resource, and moved to `thread`, whose
// objects then own it. Nothing when the notes are too much to lay out: longer than
// maximumShownReleaseNotesLength, with more than 2000 tags, or tables larger than 256
// cells, where each level of nesting counts its cells twice as much as the one around it,
// or frame and cell lengths (margins, paddings, borders, spacing) beyond 1000 pixels.
// Runs on any thread.
std::unique_ptr<QTextDocument> makeReleaseNotesDocument(
    const ReleaseNotes &notes, const QFont &font, double margin, QThread *thread);

} // namespace veyra
