#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include <chrono>
#include <memory>

class QFont;
class QTextDocument;
class QThread;

namespace veyra {

struct ReleaseNotes;

// Release notes come from the network, and what Qt's text layout costs depends on far more
// than their size: tables nested eight deep lay out the text inside them hundreds of times
// (30 KiB of words take seconds), a grapheme cluster of thousands of combining marks takes
// seconds to shape, a padding or margin near the limit of layout coordinates hangs the
// layout for good, and even 32 KiB of plain words or a long word without a break take
// tens of milliseconds. The GUI thread lays the notes out when they are shown and again at
// every resize, so the notes are read into a document on a worker and laid out there at
// the widths they will be shown at; what takes longer than maximumReleaseNotesLayoutTime is
// not handed over: rich notes are then shown as plain text, and plain text is cut to what
// is laid out within that time.

// Plain notes up to this long are shown at once, without a worker.
inline constexpr qsizetype maximumImmediateReleaseNotesLength = 1024;

// Notes are shown as plain text, cut to at most this many characters, beyond this length.
inline constexpr qsizetype maximumShownReleaseNotesLength = 32 * 1024;

// The longest grapheme cluster shown, in UTF-16 code units: more than any script or emoji
// sequence needs; further combining marks, joiners and the like are left out.
inline constexpr qsizetype maximumShownClusterLength = 32;

// The processor time that laying out the notes on a worker may take at any of the measured
// widths for them to be shown that way. Builds with a sanitizer run everything, layouts on
// the GUI thread included, about ten times slower.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr std::chrono::microseconds maximumReleaseNotesLayoutTime{15000};
#else
inline constexpr std::chrono::microseconds maximumReleaseNotesLayoutTime{1500};
#endif

// The text with every grapheme cluster cut to maximumShownClusterLength code units.
QString withShortClusters(const QString &text);

// The plain text shown for notes: the text itself with short clusters, cut at a character
// boundary after `maximumLength` characters with an ellipsis.
QString shownReleaseNotesText(const QString &text, qsizetype maximumLength = maximumShownReleaseNotesLength);

// What a document of release notes gets for any resource it names, instead of the
// resource: a transparent pixel for an image, empty text for anything else. Never a
// missing value, with which Qt would read the name as a local file itself.
QVariant refusedReleaseNotesResource(int type);

// The document that shows the notes: read with `font` as its default font and `margin` as
// its margin, loading no resource (images keep their size and show nothing), with short
// clusters, laid out at each of `widths`, and moved to `thread`, whose objects then own it.
// Rich (HTML or Markdown) notes are rendered unless they are longer than
// maximumShownReleaseNotesLength, have more than 2000 tags, tables whose cells and text
// would be laid out too often (a cell nested n tables deep is laid out about 2^n times),
// frame and cell lengths (margins, paddings, borders, spacing) beyond 1000 pixels, or a
// layout took longer than maximumReleaseNotesLayoutTime; otherwise, and for plain notes,
// the document holds the plain text (shownReleaseNotesText()), cut further at a character
// boundary with an ellipsis where laying it out took longer. Runs on any thread.
std::unique_ptr<QTextDocument> makeReleaseNotesDocument(
    const ReleaseNotes &notes, const QFont &font, double margin, const QList<double> &widths, QThread *thread);

} // namespace veyra
