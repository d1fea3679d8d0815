#pragma once

#include "update/prompt/ReleaseNotesContent.h"

#include <QLatin1StringView>
#include <QString>
#include <QStringView>

#include <optional>
#include <utility>

namespace veyra {

// A tag, comment or declaration in HTML.
struct HtmlMarkup
{
    enum class Kind {
        startTag,
        endTag,
        // A comment, a declaration or a processing instruction.
        other,
    };

    Kind kind = Kind::other;
    // Of a tag, lower-cased.
    QString name;
    // Where the text after it starts.
    qsizetype end = 0;
};

// The markup that starts at `at`, a '<' in `text`, or nothing when that '<' starts none
// (it is then text). Markup that `text` does not close takes the rest of it, unless
// `mustClose`, when it is then no markup either.
std::optional<HtmlMarkup> scanHtmlMarkup(QStringView text, qsizetype at, bool mustClose = false);

// The character reference that starts at `at`, a '&' in `text` ("&amp;", "&#233;",
// "&#x1F600;"): its character and where the text after it starts. Nothing when it is no
// reference this reader knows (the '&' is then text).
std::optional<std::pair<QString, qsizetype>> decodeHtmlCharacterReference(QStringView text, qsizetype at);

// The character a named reference of HTML 4 (or "apos") stands for.
std::optional<char32_t> htmlNamedCharacter(QLatin1StringView name);

// The content of HTML notes: the text of every element, where they stand, in headings,
// paragraphs, lists, code blocks and tables of text (a table in a table gives its text to
// the cell around it); bold, italic and code from the elements that mean them. No
// attribute is read (no style, size, source or link target), no image is kept, and what
// scripts, style sheets and titles hold is left out. Only the first
// maximumReadReleaseNotesLength characters are read.
ReleaseNotesContent readHtmlReleaseNotes(QStringView html);
// The same, into `builder`: the HTML blocks in Markdown.
void readHtmlReleaseNotes(QStringView html, ReleaseNotesContentBuilder &builder);

} // namespace veyra
