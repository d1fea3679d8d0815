#pragma once

#include <QFont>
#include <QList>
#include <QString>
#include <QVariant>

#include <limits>
#include <memory>

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
// shows as the plain text it is), plain text as a paragraph of its lines; formatted by this
// program alone (every length in it is one of ours), each line of a paragraph a block of
// its own, with `font` as its default font and `margin` as its margin, loading no resource.
// Text of a script that the default font does not show names the font Qt shows it in (found
// here, so that the thread that shows the document loads that font directly); text of a
// script that no installed font writes is plain. It is moved to `thread`, whose objects then
// own it, and laid out there (ReleaseNotesLayout). Runs on any thread; its time follows from
// the content's weight alone.
std::unique_ptr<QTextDocument> makeReleaseNotesDocument(
    const ReleaseNotes &notes, const QFont &font, double margin, QThread *thread);

// A font that text of a document is shown in, and a few characters of that text.
struct ReleaseNotesFace
{
    QFont font;
    QString sample;
};

// The fonts the document's text is shown in, each once whatever its size (and, for text no
// installed font writes, once for each of its scripts), in the order they first appear, at
// most `limit` of them.
QList<ReleaseNotesFace> releaseNotesFaces(
    const QTextDocument &document, qsizetype limit = std::numeric_limits<qsizetype>::max());

// Loads the face on the calling thread, as laying out its sample there does. Qt keeps
// fonts per thread, and loading one (for Chinese, Japanese or Korean text a face of
// several megabytes) takes milliseconds: the thread that shows the notes loads their fonts
// one at a time before it lays them out, rather than all during the layout.
void loadReleaseNotesFace(const ReleaseNotesFace &face);

} // namespace veyra
