#include "update/prompt/ReleaseNotesMarkdown.h"

#include "update/prompt/ReleaseNotesHtml.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <md4c.h>

#include <algorithm>

namespace veyra {

namespace {

using Format = ReleaseNotesParagraphFormat;

// No block quote or list starts at a column beyond this one (a tab counts to the next
// multiple of four). The parser looks at every open block quote and list item again for
// each line (a blank line keeps them all open), so without a bound a line of thousands of
// markers followed by thousands of blank lines took time growing with the product of the
// two. Containers nest at increasing columns, so this bounds how deep they nest.
constexpr qsizetype deepestContainerColumn = 100;

bool isSpaceOrTab(QChar character)
{
    return character == u' ' || character == u'\t';
}

// How long the block quote or list marker at the start of `text` is, or 0 when none starts
// there.
qsizetype containerMarkerLength(QStringView text)
{
    if (text.isEmpty()) {
        return 0;
    }
    const auto endsMarker = [&text](qsizetype length) {
        return length == text.size() || isSpaceOrTab(text[length]) || text[length] == u'\n';
    };
    if (text[0] == u'>') {
        return 1;
    }
    if ((text[0] == u'-' || text[0] == u'+' || text[0] == u'*') && endsMarker(1)) {
        return 1;
    }
    qsizetype digits = 0;
    while (digits < text.size() && digits < 10 && text[digits] >= u'0' && text[digits] <= u'9') {
        ++digits;
    }
    if (digits >= 1 && digits <= 9 && digits < text.size() && (text[digits] == u'.' || text[digits] == u')')
        && endsMarker(digits + 1)) {
        return digits + 1;
    }
    return 0;
}

// The text with the markers that a line starts with left out from the first one beyond
// deepestContainerColumn on, together with the spaces between them: its text then belongs
// to the container it would have been nested deepest in within that bound.
QString withShallowContainers(QStringView markdown)
{
    QString shallow;
    shallow.reserve(markdown.size());
    qsizetype lineStart = 0;
    while (lineStart < markdown.size()) {
        qsizetype lineEnd = markdown.indexOf(u'\n', lineStart);
        lineEnd = lineEnd < 0 ? markdown.size() : lineEnd + 1;
        const QStringView line = markdown.mid(lineStart, lineEnd - lineStart);
        qsizetype position = 0;
        qsizetype column = 0;
        qsizetype cutFrom = -1;
        while (position < line.size()) {
            if (line[position] == u' ') {
                ++column;
                ++position;
                continue;
            }
            if (line[position] == u'\t') {
                column = (column / 4 + 1) * 4;
                ++position;
                continue;
            }
            const qsizetype marker = containerMarkerLength(line.mid(position));
            if (marker == 0) {
                break;
            }
            if (column > deepestContainerColumn && cutFrom < 0) {
                cutFrom = position;
            }
            column += marker;
            position += marker;
        }
        if (cutFrom < 0) {
            shallow += line;
        } else {
            shallow += line.left(cutFrom);
            shallow += line.mid(position);
        }
        lineStart = lineEnd;
    }
    return shallow;
}

// md4c pairs the link brackets of a block of text ('[' or "![" with ']') as a stack does and,
// once the notes define a link reference, looks the text of every pair that is no inline link
// up among the references, in time in proportion to that text; so nested pairs took time
// growing with the square of their depth (16000 of them, 1.2 s). The openers whose pairs
// would cost it most are hidden from it (written as hiddenLinkOpener, shown as the '[' they
// are) until the text of all pairs it may form is within this many characters in all.
constexpr qsizetype largestLinkBracketArea = 2 * maximumReadReleaseNotesLength;
// A noncharacter, which notes never show: one in the notes is taken for U+FFFD first.
constexpr char16_t hiddenLinkOpener = 0xFDD0;

// Whether the line (with its line end) holds nothing but spaces and tabs: no block of
// text that md4c reads for links goes on past one.
bool isBlankLine(QStringView line)
{
    return std::all_of(line.begin(), line.end(),
        [](QChar character) { return character == u' ' || character == u'\t' || character == u'\n'; });
}

struct LinkOpener
{
    // How far md4c may read for the pair it opens, at most.
    qsizetype span = 0;
    qsizetype at = 0;
};

// The link openers of a run of lines between blank lines, which starts at `offset` of the
// notes, each with the length of the text of the pair that md4c may make of it, at most.
// md4c's own pairs are those of a stack over the brackets that are not escaped, in a code
// span, raw HTML or an autolink. Here every opener counts, and a ']' that might be in one of
// those (between the first and the last '`', or between the first '<' and the last '>')
// closes nothing; so whatever md4c pairs, each of its pairs closes no later than here, or,
// when it is left open here, no later than the last ']'. A backslash escapes what follows it.
void addLinkOpeners(QStringView lines, qsizetype offset, QList<LinkOpener> &openers)
{
    const auto isBetween
        = [](qsizetype first, qsizetype last, qsizetype at) { return first >= 0 && first < at && at < last; };
    const qsizetype firstBacktick = lines.indexOf(u'`');
    const qsizetype lastBacktick = lines.lastIndexOf(u'`');
    const qsizetype firstAngle = lines.indexOf(u'<');
    const qsizetype lastAngle = lines.lastIndexOf(u'>');
    QList<qsizetype> open;
    for (qsizetype at = 0; at < lines.size(); ++at) {
        const QChar character = lines[at];
        if (character == u'\\') {
            ++at;
        } else if (character == u'[') {
            open.append(at);
        } else if (character == u']' && !open.isEmpty() && !isBetween(firstBacktick, lastBacktick, at)
            && !isBetween(firstAngle, lastAngle, at)) {
            const qsizetype opener = open.takeLast();
            openers.append({at - opener, offset + opener});
        }
    }
    const qsizetype lastCloser = lines.lastIndexOf(u']');
    for (const qsizetype opener : open) {
        openers.append({std::max<qsizetype>(0, lastCloser - opener), offset + opener});
    }
}

// The text with the link openers that would cost md4c most hidden (see
// largestLinkBracketArea). Hiding an opener only shortens the pairs around it, so the
// openers whose pairs are longest go first: the pairs of ordinary links stay.
QString withBoundedLinkBrackets(QString text)
{
    text.replace(QChar(hiddenLinkOpener), QChar(QChar::ReplacementCharacter));
    QList<LinkOpener> openers;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        bool blank = false;
        while (end < text.size() && !blank) {
            qsizetype lineEnd = text.indexOf(u'\n', end);
            lineEnd = lineEnd < 0 ? text.size() : lineEnd + 1;
            blank = isBlankLine(QStringView(text).mid(end, lineEnd - end));
            end = lineEnd;
        }
        addLinkOpeners(QStringView(text).mid(start, end - start), start, openers);
        start = end;
    }
    std::sort(openers.begin(), openers.end(),
        [](const LinkOpener &one, const LinkOpener &other) { return one.span < other.span; });
    qsizetype area = 0;
    for (const LinkOpener &opener : openers) {
        area += opener.span;
        if (area > largestLinkBracketArea) {
            text[opener.at] = QChar(hiddenLinkOpener);
        }
    }
    return text;
}

// Reads what the parser reports into the builder. Every callback takes time in proportion
// to what it is given (nothing walks the open blocks), and once the builder is full the
// parse ends.
class MarkdownReader
{
public:
    explicit MarkdownReader(ReleaseNotesContentBuilder &builder)
        : m_builder(builder)
    { }

    void read(const QByteArray &markdown)
    {
        MD_PARSER parser{};
        parser.flags = MD_FLAG_TABLES | MD_FLAG_STRIKETHROUGH | MD_FLAG_TASKLISTS | MD_FLAG_COLLAPSEWHITESPACE;
        parser.enter_block = [](MD_BLOCKTYPE type, void *detail, void *reader) {
            return static_cast<MarkdownReader *>(reader)->enterBlock(type, detail);
        };
        parser.leave_block = [](MD_BLOCKTYPE type, void *, void *reader) {
            return static_cast<MarkdownReader *>(reader)->leaveBlock(type);
        };
        parser.enter_span = [](MD_SPANTYPE type, void *, void *reader) {
            return static_cast<MarkdownReader *>(reader)->span(type, 1);
        };
        parser.leave_span = [](MD_SPANTYPE type, void *, void *reader) {
            return static_cast<MarkdownReader *>(reader)->span(type, -1);
        };
        parser.text = [](MD_TEXTTYPE type, const MD_CHAR *text, MD_SIZE size, void *reader) {
            QString read = QString::fromUtf8(text, qsizetype(size));
            read.replace(QChar(hiddenLinkOpener), QLatin1Char('['));
            return static_cast<MarkdownReader *>(reader)->text(type, read);
        };
        md_parse(markdown.constData(), MD_SIZE(markdown.size()), &parser, this);
    }

private:
    // What the callbacks return: anything but 0 ends the parse.
    int goOn() const { return m_builder.isFull() ? 1 : 0; }

    int enterBlock(MD_BLOCKTYPE type, void *detail)
    {
        switch (type) {
        case MD_BLOCK_UL:
            endParagraph();
            m_lists.append(ReleaseNotesOpenList{});
            break;
        case MD_BLOCK_OL: {
            endParagraph();
            const auto *list = static_cast<MD_BLOCK_OL_DETAIL *>(detail);
            m_lists.append(
                ReleaseNotesOpenList{true, int(std::min<unsigned>(list->start, largestReleaseNotesListNumber)),
                    QChar(list->mark_delimiter == ')' ? u')' : u'.')});
            break;
        }
        case MD_BLOCK_LI:
            endParagraph();
            if (!m_lists.isEmpty()) {
                const auto *item = static_cast<MD_BLOCK_LI_DETAIL *>(detail);
                ReleaseNotesOpenList &list = m_lists.last();
                list.itemOpen = true;
                list.itemHasParagraph = false;
                list.number = list.next;
                list.next = list.next < largestReleaseNotesListNumber ? list.next + 1 : list.next;
                list.task = !item->is_task   ? Format::Task::none
                    : item->task_mark == ' ' ? Format::Task::open
                                             : Format::Task::done;
            }
            break;
        case MD_BLOCK_H:
            endParagraph();
            m_headingLevel = int(static_cast<MD_BLOCK_H_DETAIL *>(detail)->level);
            break;
        case MD_BLOCK_CODE:
            endParagraph();
            m_codeBlock = true;
            m_codeLineBreaks = 0;
            break;
        case MD_BLOCK_HTML:
            endParagraph();
            m_htmlBlock = true;
            m_html.clear();
            break;
        case MD_BLOCK_TABLE:
            endParagraph();
            m_builder.beginTable();
            break;
        case MD_BLOCK_TR:
            m_builder.beginRow();
            break;
        case MD_BLOCK_TH:
        case MD_BLOCK_TD:
            m_builder.beginCell();
            m_headerCell = type == MD_BLOCK_TH;
            m_paragraphOpen = false;
            resetInlineHtml();
            break;
        case MD_BLOCK_QUOTE:
        case MD_BLOCK_HR:
        case MD_BLOCK_P:
            endParagraph();
            break;
        case MD_BLOCK_DOC:
        case MD_BLOCK_THEAD:
        case MD_BLOCK_TBODY:
            break;
        }
        return goOn();
    }

    int leaveBlock(MD_BLOCKTYPE type)
    {
        switch (type) {
        case MD_BLOCK_UL:
        case MD_BLOCK_OL:
            endParagraph();
            if (!m_lists.isEmpty()) {
                m_lists.removeLast();
            }
            break;
        case MD_BLOCK_LI:
            endParagraph();
            if (!m_lists.isEmpty()) {
                m_lists.last().itemOpen = false;
            }
            break;
        case MD_BLOCK_H:
            endParagraph();
            m_headingLevel = 0;
            break;
        case MD_BLOCK_CODE:
            endParagraph();
            m_codeBlock = false;
            break;
        case MD_BLOCK_HTML:
            // Read as HTML notes are: their text only, and what scripts and style sheets
            // hold left out.
            m_htmlBlock = false;
            readHtmlReleaseNotes(m_html, m_builder);
            m_html.clear();
            m_builder.endTable();
            m_builder.endParagraph();
            break;
        case MD_BLOCK_TABLE:
            m_builder.endTable();
            m_paragraphOpen = false;
            break;
        case MD_BLOCK_TH:
        case MD_BLOCK_TD:
            m_headerCell = false;
            break;
        case MD_BLOCK_QUOTE:
        case MD_BLOCK_P:
            endParagraph();
            break;
        case MD_BLOCK_DOC:
        case MD_BLOCK_HR:
        case MD_BLOCK_THEAD:
        case MD_BLOCK_TBODY:
        case MD_BLOCK_TR:
            break;
        }
        return goOn();
    }

    int span(MD_SPANTYPE type, int change)
    {
        switch (type) {
        case MD_SPAN_EM:
            m_italic += change;
            break;
        case MD_SPAN_STRONG:
            m_bold += change;
            break;
        case MD_SPAN_CODE:
            m_code += change;
            break;
        case MD_SPAN_DEL:
            m_struck += change;
            break;
        case MD_SPAN_IMG:
            // An image shows nothing, not even its description.
            m_image += change;
            break;
        default:
            // A link is its text.
            break;
        }
        return goOn();
    }

    int text(MD_TEXTTYPE type, const QString &text)
    {
        if (m_htmlBlock) {
            m_html += text;
            return goOn();
        }
        if (m_image > 0 || (!m_hiddenElement.isEmpty() && type != MD_TEXT_HTML)) {
            return goOn();
        }
        switch (type) {
        case MD_TEXT_NULLCHAR:
            put(QString(QChar(QChar::ReplacementCharacter)));
            break;
        case MD_TEXT_BR:
            lineBreak();
            break;
        case MD_TEXT_SOFTBR:
            put(QStringLiteral(" "));
            break;
        case MD_TEXT_ENTITY: {
            const auto reference = decodeHtmlCharacterReference(text, 0);
            put(reference && reference->second == text.size() ? reference->first : text);
            break;
        }
        case MD_TEXT_CODE:
            if (m_codeBlock) {
                codeBlockText(text);
            } else {
                // Every space of a code span shows, one after a space too.
                QString code = text;
                put(code.replace(u'\n', u' '), true);
            }
            break;
        case MD_TEXT_HTML:
            inlineHtml(text);
            break;
        default:
            put(text);
            break;
        }
        return goOn();
    }

    // The lines of a code block, without the line end of its last line.
    void codeBlockText(QStringView text)
    {
        qsizetype start = 0;
        while (start < text.size()) {
            qsizetype end = text.indexOf(u'\n', start);
            if (end < 0) {
                end = text.size();
            }
            if (end > start) {
                for (; m_codeLineBreaks > 0; --m_codeLineBreaks) {
                    lineBreak();
                }
                put(text.mid(start, end - start));
            }
            if (end < text.size()) {
                ++m_codeLineBreaks;
            }
            start = end + 1;
        }
    }

    // A tag among the text: what means emphasis, code, struck text or a line break does; what
    // a script, a style sheet or another element whose content browsers do not show holds is
    // left out up to its end tag.
    void inlineHtml(QStringView html)
    {
        const std::optional<HtmlMarkup> markup = scanHtmlMarkup(html, 0);
        if (!markup || markup->kind == HtmlMarkup::Kind::other) {
            return;
        }
        if (!m_hiddenElement.isEmpty()) {
            if (markup->kind == HtmlMarkup::Kind::endTag && markup->name == m_hiddenElement) {
                m_hiddenElement.clear();
            }
            return;
        }
        if (markup->kind == HtmlMarkup::Kind::startTag && isHiddenHtmlElement(markup->name)) {
            m_hiddenElement = markup->name;
        } else if (markup->name == u"br") {
            lineBreak();
        } else {
            m_htmlEmphasis.follow(markup->name, markup->kind == HtmlMarkup::Kind::startTag);
        }
    }

    ReleaseNotesContentBuilder::Emphasis emphasis() const
    {
        return {m_bold > 0 || m_htmlEmphasis.bold > 0 || m_headerCell, m_italic > 0 || m_htmlEmphasis.italic > 0,
            m_code > 0 || m_htmlEmphasis.code > 0, m_struck > 0 || m_htmlEmphasis.struck > 0};
    }

    // The format of a paragraph that starts here: the first of a list item carries its
    // marker, code too, the others are indented as the item.
    Format paragraphFormat()
    {
        if (!m_lists.isEmpty() && m_lists.last().itemOpen) {
            return listParagraphFormat(m_lists, m_codeBlock);
        }
        if (m_codeBlock) {
            return {Format::Kind::code};
        }
        if (m_headingLevel > 0) {
            return {Format::Kind::heading, m_headingLevel};
        }
        return {};
    }

    // Adds text to the paragraph; `verbatim` text (a code span's) keeps every space.
    void put(QStringView text, bool verbatim = false)
    {
        if (text.isEmpty()) {
            return;
        }
        if (verbatim) {
            m_endsWithSpace = false;
        } else if (!m_codeBlock) {
            // Spaces collapse across the pieces the parser reports ("a <!-- c --> b"), as a
            // browser shows them: none at the start of a line, one between words.
            while (!text.isEmpty() && text.front() == u' ' && (!m_paragraphOpen || m_endsWithSpace)) {
                text = text.mid(1);
            }
            if (text.isEmpty()) {
                return;
            }
            m_endsWithSpace = text.back() == u' ';
        }
        if (!m_paragraphOpen) {
            m_format = paragraphFormat();
            m_paragraphOpen = true;
        }
        m_builder.addText(text, emphasis(), m_format);
    }

    void lineBreak()
    {
        if (!m_paragraphOpen) {
            m_format = paragraphFormat();
            m_paragraphOpen = true;
        }
        m_builder.addLineBreak(m_format);
        m_endsWithSpace = true;
    }

    // Tags among the text hold no further than their block.
    void resetInlineHtml()
    {
        m_htmlEmphasis = {};
        m_hiddenElement.clear();
    }

    void endParagraph()
    {
        m_builder.endParagraph();
        m_paragraphOpen = false;
        resetInlineHtml();
    }

    ReleaseNotesContentBuilder &m_builder;
    QList<ReleaseNotesOpenList> m_lists;
    int m_bold = 0;
    int m_italic = 0;
    int m_code = 0;
    int m_struck = 0;
    int m_image = 0;
    HtmlEmphasisDepth m_htmlEmphasis;
    // The element among the text whose content is left out, until its end tag.
    QString m_hiddenElement;
    int m_headingLevel = 0;
    bool m_codeBlock = false;
    // Line ends in a code block not written yet: none is after its last line.
    int m_codeLineBreaks = 0;
    bool m_htmlBlock = false;
    QString m_html;
    bool m_headerCell = false;
    bool m_paragraphOpen = false;
    // Whether the text of the open paragraph ends with a space or a line break.
    bool m_endsWithSpace = false;
    Format m_format;
};

} // namespace

ReleaseNotesContent readMarkdownReleaseNotes(QStringView markdown)
{
    const bool cut = markdown.size() > maximumReadReleaseNotesLength;
    QString text = leftOfCharacters(markdown, maximumReadReleaseNotesLength).toString();
    if (cut) {
        // Whole lines, when there are any.
        const qsizetype lineEnd = text.lastIndexOf(u'\n');
        if (lineEnd > 0) {
            text.truncate(lineEnd);
        }
    }
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    ReleaseNotesContentBuilder builder;
    MarkdownReader(builder).read(withBoundedLinkBrackets(withShallowContainers(text)).toUtf8());
    if (cut) {
        builder.cut();
    }
    return builder.take();
}

} // namespace veyra
