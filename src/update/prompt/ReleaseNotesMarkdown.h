#pragma once

#include "update/prompt/ReleaseNotesContent.h"

#include <QStringView>

namespace veyra {

// The content of Markdown notes (CommonMark with GitHub's tables and strikethrough):
// headings, paragraphs, lists, block quotes (as paragraphs), code blocks, tables, and
// emphasis, strong emphasis and code spans; a link shows its text, an image nothing, and
// HTML in the notes is read as readHtmlReleaseNotes() reads it. Reading takes time in
// proportion to the text (nothing here is Qt's Markdown importer, whose time grows with
// the square of the spans); only the first maximumReadReleaseNotesLength characters are
// read.
ReleaseNotesContent readMarkdownReleaseNotes(QStringView markdown);

} // namespace veyra
