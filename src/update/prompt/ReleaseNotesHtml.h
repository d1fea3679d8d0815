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
    // Of a tag, lower-cased: everything up to a space, '/' or '>', so that "<b," is no "<b>".
    QString name;
    // Where the text after it starts.
    qsizetype end = 0;
    // Of <ol>, its "start"; of <li>, its "value": the numbers of an ordered list, read as
    // browsers read them and brought within the numbers shown. The only attributes read.
    std::optional<int> number;
};

// How deep text stands in the elements of HTML that mean emphasis: b and strong (bold); i,
// em, cite, dfn and var (italic); code, tt, kbd and samp (code); s, strike and del (struck).
struct HtmlEmphasisDepth
{
    int bold = 0;
    int italic = 0;
    int code = 0;
    int struck = 0;

    // Counts the start or end tag of the element `name` (an end tag without a start counts
    // nothing); whether it is one of those elements.
    bool follow(const QString &name, bool start);
};

// Whether the content of the element `name` (lower-cased) is no text to show: scripts, style
// sheets, titles and the like.
bool isHiddenHtmlElement(const QString &name);

// The markup that starts at `at`, a '<' in `text`, as browsers read it, or nothing when
// that '<' starts none (it is then text: "a < b", "<3"). Markup that `text` does not close
// takes the rest of it.
std::optional<HtmlMarkup> scanHtmlMarkup(QStringView text, qsizetype at);

// The character reference that starts at `at`, a '&' in `text` ("&amp;", "&#233;",
// "&#x1F600;"), read as browsers read it: its character and where the text after it
// starts. The names browsers also read without their ';' ("&amp", "&copy2024") are read so
// too, and the numbers 128 to 159 stand for the characters windows-1252 gives them ("&#150;"
// is an en dash). Nothing when it is no reference this reader knows (the '&' is then text).
std::optional<std::pair<QString, qsizetype>> decodeHtmlCharacterReference(QStringView text, qsizetype at);

// The character a named reference of HTML 4 (or "apos", "AMP", "COPY", "GT", "LT", "QUOT"
// or "REG") stands for.
std::optional<char32_t> htmlNamedCharacter(QLatin1StringView name);

// The content of HTML notes: the text of every element, where they stand, in headings,
// paragraphs, lists (numbered ones with their numbers), code blocks and tables of text (a
// table in a table gives its text to the cell around it); bold, italic, code and struck
// text from the elements that mean them. No attribute but a list's numbers is read (no
// style, size, source or link target), no image is kept, what scripts, style sheets and
// titles hold is left out, and what <xmp> and <plaintext> hold is text. Only the first
// maximumScannedReleaseNotesLength characters are read; markup, comments and what scripts,
// style sheets and the like hold count against nothing else.
ReleaseNotesContent readHtmlReleaseNotes(QStringView html);
// The same, into `builder`: the HTML blocks in Markdown.
void readHtmlReleaseNotes(QStringView html, ReleaseNotesContentBuilder &builder);

} // namespace veyra
