#pragma once

#include "update/prompt/ReleaseNotesContent.h"

#include <QStringView>

namespace veyra {

// The content of Markdown notes, read by md4c (CommonMark with GitHub's tables and
// strikethrough): headings, paragraphs, lists (numbered ones with their numbers), block
// quotes (as paragraphs), code blocks, tables, and emphasis, strong emphasis, code spans
// and struck text; a link shows its text, an image nothing. HTML blocks are read as
// readHtmlReleaseNotes() reads HTML; a tag among the text means emphasis, code, struck text
// or a line break, or nothing. Only the first maximumReadReleaseNotesLength characters are
// read, and containers nest within a bound, so reading takes time in proportion to the text.
ReleaseNotesContent readMarkdownReleaseNotes(QStringView markdown);

} // namespace veyra
