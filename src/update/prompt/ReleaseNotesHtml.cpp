#include "update/prompt/ReleaseNotesHtml.h"

#include <QList>

#include <algorithm>
#include <initializer_list>

namespace veyra {

namespace {

using Format = ReleaseNotesParagraphFormat;

bool isAsciiLetter(QChar character)
{
    const char16_t code = character.unicode();
    return (code >= u'a' && code <= u'z') || (code >= u'A' && code <= u'Z');
}

bool isAsciiDigit(QChar character)
{
    return character.unicode() >= u'0' && character.unicode() <= u'9';
}

bool isHtmlSpace(QChar character)
{
    const char16_t code = character.unicode();
    return code == u' ' || code == u'\t' || code == u'\n' || code == u'\r' || code == u'\f';
}

bool isOneOf(const QString &name, std::initializer_list<const char *> names)
{
    return std::any_of(
        names.begin(), names.end(), [&name](const char *each) { return name == QLatin1StringView(each); });
}

// Elements whose content is no text to show.
bool isSkipped(const QString &name)
{
    return isOneOf(
        name, {"script", "style", "title", "template", "textarea", "noembed", "noframes", "iframe", "object"});
}

// Elements that start and end paragraphs and are nothing else here.
bool isBlock(const QString &name)
{
    return isOneOf(name,
        {"address", "article", "aside", "blockquote", "body", "center", "details", "dialog", "dd", "div", "dl", "dt",
            "fieldset", "figcaption", "figure", "footer", "form", "header", "hgroup", "hr", "html", "legend", "main",
            "nav", "noscript", "p", "section", "summary"});
}

int headingLevel(const QString &name)
{
    if (name.size() == 2 && name[0] == u'h' && name[1] >= u'1' && name[1] <= u'6') {
        return name[1].unicode() - u'0';
    }
    return 0;
}

class HtmlReader
{
public:
    HtmlReader(QStringView html, ReleaseNotesContentBuilder &builder)
        : m_html(html)
        , m_builder(builder)
    { }

    void read()
    {
        const qsizetype length = m_html.size();
        qsizetype position = 0;
        qsizetype textStart = 0;
        while (position < length && !m_builder.isFull()) {
            const QChar character = m_html[position];
            if (character == u'<') {
                const std::optional<HtmlMarkup> markup = scanHtmlMarkup(m_html, position);
                if (!markup) {
                    ++position;
                    continue;
                }
                text(m_html.mid(textStart, position - textStart));
                position = markup->end;
                if (markup->kind == HtmlMarkup::Kind::startTag && isSkipped(markup->name)) {
                    position = endOfSkipped(markup->name, position);
                } else if (markup->kind == HtmlMarkup::Kind::startTag) {
                    startTag(markup->name);
                } else if (markup->kind == HtmlMarkup::Kind::endTag) {
                    endTag(markup->name);
                }
                textStart = position;
            } else if (character == u'&') {
                const auto reference = decodeHtmlCharacterReference(m_html, position);
                if (!reference) {
                    ++position;
                    continue;
                }
                text(m_html.mid(textStart, position - textStart));
                text(reference->first, true);
                position = reference->second;
                textStart = position;
            } else {
                ++position;
            }
        }
        if (!m_builder.isFull()) {
            text(m_html.mid(textStart, position - textStart));
        }
    }

private:
    struct ListLevel
    {
        bool ordered = false;
        bool started = false;
        bool itemOpen = false;
        bool itemHasParagraph = false;
    };

    // Where the text after the end tag of a skipped element starts.
    qsizetype endOfSkipped(const QString &name, qsizetype from) const
    {
        const QString endTag = QStringLiteral("</") + name;
        for (qsizetype at = m_html.indexOf(endTag, from, Qt::CaseInsensitive); at >= 0;
             at = m_html.indexOf(endTag, at + 2, Qt::CaseInsensitive)) {
            const qsizetype after = at + endTag.size();
            if (after >= m_html.size() || isHtmlSpace(m_html[after]) || m_html[after] == u'>'
                || m_html[after] == u'/') {
                const std::optional<HtmlMarkup> markup = scanHtmlMarkup(m_html, at);
                return markup ? markup->end : m_html.size();
            }
        }
        return m_html.size();
    }

    ReleaseNotesContentBuilder::Emphasis emphasis() const
    {
        return {m_bold > 0 || m_headerCell, m_italic > 0, m_code > 0};
    }

    // The format of a paragraph that starts here.
    Format paragraphFormat()
    {
        if (m_headingLevel > 0) {
            return {Format::Kind::heading, m_headingLevel};
        }
        if (m_preformatted > 0) {
            return {Format::Kind::code};
        }
        if (!m_lists.isEmpty() && m_lists.last().itemOpen) {
            ListLevel &list = m_lists.last();
            const int depth = int(std::min<qsizetype>(m_lists.size(), maximumReleaseNotesListDepth));
            if (list.itemHasParagraph) {
                return {Format::Kind::listContinuation, depth};
            }
            const Format item{Format::Kind::listItem, depth, list.ordered, !list.started};
            list.started = true;
            list.itemHasParagraph = true;
            return item;
        }
        return {};
    }

    void put(QStringView piece)
    {
        if (!m_paragraphOpen) {
            m_format = paragraphFormat();
            m_paragraphOpen = true;
        }
        m_builder.addText(piece, emphasis(), m_format);
        m_atLineStart = false;
    }

    void lineBreak()
    {
        if (!m_paragraphOpen) {
            m_format = paragraphFormat();
            m_paragraphOpen = true;
        }
        m_builder.addLineBreak(m_format);
        m_atLineStart = true;
        m_pendingSpace = false;
    }

    void lineBreakAfterText()
    {
        if (!m_atLineStart) {
            lineBreak();
        }
    }

    void endParagraph()
    {
        m_builder.endParagraph();
        m_paragraphOpen = false;
        m_atLineStart = true;
        m_pendingSpace = false;
    }

    // Text as HTML shows it: runs of white space are one space, none at the start or the
    // end of a line; preformatted text keeps its spaces and line breaks. A character
    // reference is text that is never white space.
    void text(QStringView raw, bool fromReference = false)
    {
        if (raw.isEmpty()) {
            return;
        }
        if (m_preformatted > 0) {
            preformattedText(raw);
            return;
        }
        if (fromReference) {
            word(raw);
            return;
        }
        qsizetype start = 0;
        const qsizetype length = raw.size();
        while (start < length) {
            if (isHtmlSpace(raw[start])) {
                m_pendingSpace = true;
                while (start < length && isHtmlSpace(raw[start])) {
                    ++start;
                }
                continue;
            }
            qsizetype end = start;
            while (end < length && !isHtmlSpace(raw[end])) {
                ++end;
            }
            word(raw.mid(start, end - start));
            start = end;
        }
    }

    void word(QStringView piece)
    {
        if (m_pendingSpace && !m_atLineStart) {
            put(u" ");
        }
        m_pendingSpace = false;
        put(piece);
    }

    void preformattedText(QStringView raw)
    {
        qsizetype start = 0;
        while (start <= raw.size()) {
            qsizetype end = raw.indexOf(u'\n', start);
            const bool lastLine = end < 0;
            if (lastLine) {
                end = raw.size();
            }
            QString line = raw.mid(start, end - start).toString();
            line.remove(u'\r');
            if (!line.isEmpty()) {
                put(line);
            }
            if (lastLine) {
                break;
            }
            // A line feed right after the start tag is no line.
            if (!(m_preformattedStart && start == 0 && line.isEmpty())) {
                lineBreak();
            }
            m_preformattedStart = false;
            start = end + 1;
        }
        m_preformattedStart = false;
    }

    void startTag(const QString &name)
    {
        m_preformattedStart = false;
        if (name == u"br") {
            lineBreak();
        } else if (const int level = headingLevel(name)) {
            endParagraph();
            m_headingLevel = level;
        } else if (isBlock(name)) {
            endParagraph();
        } else if (isOneOf(name, {"ul", "ol", "menu", "dir"})) {
            endParagraph();
            m_lists.append(ListLevel{name == u"ol"});
        } else if (name == u"li") {
            endParagraph();
            if (m_lists.isEmpty()) {
                m_lists.append(ListLevel{});
            }
            m_lists.last().itemOpen = true;
            m_lists.last().itemHasParagraph = false;
        } else if (isOneOf(name, {"pre", "listing", "xmp", "plaintext"})) {
            endParagraph();
            ++m_preformatted;
            m_preformattedStart = true;
        } else if (isOneOf(name, {"b", "strong"})) {
            ++m_bold;
        } else if (isOneOf(name, {"i", "em", "cite", "dfn", "var"})) {
            ++m_italic;
        } else if (isOneOf(name, {"code", "tt", "kbd", "samp"})) {
            ++m_code;
        } else if (isOneOf(name, {"table", "tr", "td", "th", "caption"})) {
            tableStartTag(name);
        }
    }

    void endTag(const QString &name)
    {
        m_preformattedStart = false;
        if (name == u"br") {
            lineBreak();
        } else if (headingLevel(name)) {
            endParagraph();
            m_headingLevel = 0;
        } else if (isBlock(name)) {
            endParagraph();
        } else if (isOneOf(name, {"ul", "ol", "menu", "dir"})) {
            endParagraph();
            if (!m_lists.isEmpty()) {
                m_lists.removeLast();
            }
        } else if (name == u"li") {
            endParagraph();
            if (!m_lists.isEmpty()) {
                m_lists.last().itemOpen = false;
            }
        } else if (isOneOf(name, {"pre", "listing", "xmp", "plaintext"})) {
            endParagraph();
            m_preformatted = std::max(0, m_preformatted - 1);
        } else if (isOneOf(name, {"b", "strong"})) {
            m_bold = std::max(0, m_bold - 1);
        } else if (isOneOf(name, {"i", "em", "cite", "dfn", "var"})) {
            m_italic = std::max(0, m_italic - 1);
        } else if (isOneOf(name, {"code", "tt", "kbd", "samp"})) {
            m_code = std::max(0, m_code - 1);
        } else if (name == u"table" && m_tableDepth > 0) {
            --m_tableDepth;
            if (m_tableDepth == 0) {
                m_builder.endTable();
                m_headerCell = false;
                m_paragraphOpen = false;
                m_atLineStart = true;
                m_pendingSpace = false;
            } else {
                lineBreakAfterText();
            }
        } else if ((name == u"th" || name == u"td") && m_tableDepth == 1) {
            m_headerCell = false;
        }
    }

    // A table is a table of text; the rows of a table in it are lines of its cell, and its
    // cells words.
    void tableStartTag(const QString &name)
    {
        if (name == u"table") {
            if (m_tableDepth == 0) {
                endParagraph();
                m_builder.beginTable();
            } else {
                lineBreakAfterText();
            }
            ++m_tableDepth;
            return;
        }
        if (m_tableDepth == 0) {
            return;
        }
        if (m_tableDepth > 1) {
            if (name == u"tr") {
                lineBreakAfterText();
            } else {
                m_pendingSpace = true;
            }
            return;
        }
        if (name == u"tr") {
            m_builder.beginRow();
        } else {
            // A caption is a row of its own.
            if (name == u"caption") {
                m_builder.beginRow();
            }
            m_builder.beginCell();
        }
        m_headerCell = name == u"th";
        m_paragraphOpen = false;
        m_atLineStart = true;
        m_pendingSpace = false;
    }

    QStringView m_html;
    ReleaseNotesContentBuilder &m_builder;
    int m_bold = 0;
    int m_italic = 0;
    int m_code = 0;
    int m_headingLevel = 0;
    int m_preformatted = 0;
    bool m_preformattedStart = false;
    int m_tableDepth = 0;
    bool m_headerCell = false;
    QList<ListLevel> m_lists;
    Format m_format;
    bool m_paragraphOpen = false;
    bool m_atLineStart = true;
    bool m_pendingSpace = false;
};

} // namespace

std::optional<HtmlMarkup> scanHtmlMarkup(QStringView text, qsizetype at, bool mustClose)
{
    const qsizetype length = text.size();
    if (at + 1 >= length) {
        return std::nullopt;
    }
    const auto endAfter = [&](qsizetype end, qsizetype markerLength) -> std::optional<qsizetype> {
        if (end < 0) {
            if (mustClose) {
                return std::nullopt;
            }
            return length;
        }
        return end + markerLength;
    };
    const QChar next = text[at + 1];
    if (next == u'!' || next == u'?') {
        const bool comment = text.mid(at, 4) == u"<!--";
        const std::optional<qsizetype> end
            = comment ? endAfter(text.indexOf(u"-->", at + 4), 3) : endAfter(text.indexOf(u'>', at + 2), 1);
        if (!end) {
            return std::nullopt;
        }
        return HtmlMarkup{HtmlMarkup::Kind::other, QString(), *end};
    }
    const bool closing = next == u'/';
    qsizetype position = at + (closing ? 2 : 1);
    if (position >= length || !isAsciiLetter(text[position])) {
        return std::nullopt;
    }
    const qsizetype nameStart = position;
    while (position < length
        && (isAsciiLetter(text[position]) || isAsciiDigit(text[position]) || text[position] == u'-'
            || text[position] == u':')) {
        ++position;
    }
    HtmlMarkup markup{closing ? HtmlMarkup::Kind::endTag : HtmlMarkup::Kind::startTag,
        text.mid(nameStart, position - nameStart).toString().toLower(), 0};
    // Attributes, read only to find where the tag ends: a '>' in a quoted value does not.
    while (position < length) {
        const QChar character = text[position];
        if (character == u'>') {
            markup.end = position + 1;
            return markup;
        }
        if (isHtmlSpace(character) || character == u'/') {
            ++position;
            continue;
        }
        if (character == u'"' || character == u'\'') {
            const qsizetype close = text.indexOf(character, position + 1);
            if (close < 0) {
                break;
            }
            position = close + 1;
            continue;
        }
        // A name, perhaps with a value.
        while (position < length && !isHtmlSpace(text[position]) && text[position] != u'>' && text[position] != u'/'
            && text[position] != u'=') {
            ++position;
        }
        while (position < length && isHtmlSpace(text[position])) {
            ++position;
        }
        if (position < length && text[position] == u'=') {
            ++position;
            while (position < length && isHtmlSpace(text[position])) {
                ++position;
            }
            if (position < length && (text[position] == u'"' || text[position] == u'\'')) {
                const qsizetype close = text.indexOf(text[position], position + 1);
                if (close < 0) {
                    break;
                }
                position = close + 1;
            } else {
                while (position < length && !isHtmlSpace(text[position]) && text[position] != u'>') {
                    ++position;
                }
            }
        }
    }
    if (mustClose) {
        return std::nullopt;
    }
    markup.end = length;
    return markup;
}

std::optional<std::pair<QString, qsizetype>> decodeHtmlCharacterReference(QStringView text, qsizetype at)
{
    const qsizetype length = text.size();
    qsizetype position = at + 1;
    if (position < length && text[position] == u'#') {
        ++position;
        const bool hexadecimal = position < length && (text[position] == u'x' || text[position] == u'X');
        if (hexadecimal) {
            ++position;
        }
        const qsizetype digitsStart = position;
        char32_t value = 0;
        bool tooLarge = false;
        while (position < length) {
            const char16_t code = text[position].unicode();
            int digit = -1;
            if (code >= u'0' && code <= u'9') {
                digit = code - u'0';
            } else if (hexadecimal && code >= u'a' && code <= u'f') {
                digit = code - u'a' + 10;
            } else if (hexadecimal && code >= u'A' && code <= u'F') {
                digit = code - u'A' + 10;
            }
            if (digit < 0) {
                break;
            }
            value = value * (hexadecimal ? 16 : 10) + char32_t(digit);
            tooLarge = tooLarge || value > 0x10FFFF;
            if (tooLarge) {
                value = 0x110000;
            }
            ++position;
        }
        if (position == digitsStart) {
            return std::nullopt;
        }
        if (position < length && text[position] == u';') {
            ++position;
        }
        if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            value = 0xFFFD;
        }
        return std::pair{QString::fromUcs4(&value, 1), position};
    }
    constexpr qsizetype longestName = 32;
    const qsizetype nameStart = position;
    while (position < length && position - nameStart <= longestName
        && (isAsciiLetter(text[position]) || isAsciiDigit(text[position]))) {
        ++position;
    }
    if (position == nameStart || position >= length || text[position] != u';') {
        return std::nullopt;
    }
    const QByteArray name = text.mid(nameStart, position - nameStart).toLatin1();
    const std::optional<char32_t> character = htmlNamedCharacter(QLatin1StringView(name));
    if (!character) {
        return std::nullopt;
    }
    return std::pair{QString::fromUcs4(&*character, 1), position + 1};
}

void readHtmlReleaseNotes(QStringView html, ReleaseNotesContentBuilder &builder)
{
    const bool cut = html.size() > maximumReadReleaseNotesLength;
    HtmlReader(html.left(maximumReadReleaseNotesLength), builder).read();
    if (cut) {
        builder.cut();
    }
}

ReleaseNotesContent readHtmlReleaseNotes(QStringView html)
{
    ReleaseNotesContentBuilder builder;
    readHtmlReleaseNotes(html, builder);
    return builder.take();
}

} // namespace veyra
