#pragma once

#include "update/prompt/ReleaseNotesContent.h"

#include <QList>
#include <QStringView>

namespace veyra {

// The content of Markdown notes, read by md4c (CommonMark with GitHub's tables and
// strikethrough): headings, paragraphs, lists (numbered ones with their numbers), block
// quotes (as paragraphs), code blocks, tables, and emphasis, strong emphasis, code spans
// and struck text; a link shows its text, an image nothing. HTML blocks are read as
// readHtmlReleaseNotes() reads HTML; a tag among the text means emphasis, code, struck text
// or a line break, or nothing. Only the first maximumReadReleaseNotesLength characters are
// read, containers nest within a bound, and md4c reads the text of link brackets within a
// bound (hiddenMarkdownLinkOpeners()), so reading takes time in proportion to the text.
ReleaseNotesContent readMarkdownReleaseNotes(QStringView markdown);

// The link openers ('[', also of "![") of the notes that md4c is given as text rather than as
// openers, where they are: those whose pairs would cost it most to read, until what it reads
// of all pairs is within a bound. Those of ordinary links never are.
QList<qsizetype> hiddenMarkdownLinkOpeners(QStringView markdown);

} // namespace veyra
