#pragma once

#include <QString>
#include <QVariant>

#include <memory>

class QFont;
class QTextDocument;
class QThread;

namespace veyra {

struct ReleaseNotes;

// What a document of release notes gets for any resource it names, instead of the
// resource: a transparent pixel for an image, empty text for anything else. Never a
// missing value, with which Qt would read the name as a local file itself.
QVariant refusedReleaseNotesResource(int type);

// The document that shows the notes: HTML and Markdown reduced to their content
// (readHtmlReleaseNotes(), readMarkdownReleaseNotes(); HTML that yields no text at all
// shows as the plain text it is), plain text as paragraphs of its lines; formatted by this
// program alone (every length in it is one of ours), with `font` as its default font and
// `margin` as its margin, loading no resource. Text of a script that the default font does
// not show names the font Qt shows it in (found here, so that the thread that shows the
// document loads that font directly). It is laid out once at `width`, its layouts keep the
// glyphs of every later layout for drawing, and it is moved to `thread`, whose objects then
// own it. Runs on any thread; its time follows from the content's weight alone.
std::unique_ptr<QTextDocument> makeReleaseNotesDocument(
    const ReleaseNotes &notes, const QFont &font, double margin, double width, QThread *thread);

} // namespace veyra
