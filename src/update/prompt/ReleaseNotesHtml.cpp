#include "update/prompt/ReleaseNotesHtml.h"

#include <QList>

#include <algorithm>
#include <array>

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

QString asciiLower(QStringView text)
{
    QString lower = text.toString();
    for (QChar &character : lower) {
        if (character >= u'A' && character <= u'Z') {
            character = QChar(character.unicode() + (u'a' - u'A'));
        }
    }
    return lower;
}

// Where the text after a comment whose "<!--" ends at `from` starts: "<!-->" and "<!--->"
// end at once, others at "-->" or "--!>" (or with the text).
qsizetype endOfComment(QStringView text, qsizetype from)
{
    if (text.mid(from, 1) == u">") {
        return from + 1;
    }
    if (text.mid(from, 2) == u"->") {
        return from + 2;
    }
    for (qsizetype dashes = text.indexOf(u"--", from); dashes >= 0; dashes = text.indexOf(u"--", dashes + 1)) {
        if (text.mid(dashes + 2, 1) == u">") {
            return dashes + 3;
        }
        if (text.mid(dashes + 2, 2) == u"!>") {
            return dashes + 4;
        }
    }
    return text.size();
}

// An integer as browsers read one in an attribute ("  5", "+5", "-3", "7th" is 7): nothing
// without digits; brought within the list numbers shown.
std::optional<int> htmlInteger(QStringView value)
{
    qsizetype position = 0;
    while (position < value.size() && isHtmlSpace(value[position])) {
        ++position;
    }
    bool negative = false;
    if (position < value.size() && (value[position] == u'-' || value[position] == u'+')) {
        negative = value[position] == u'-';
        ++position;
    }
    if (position >= value.size() || !isAsciiDigit(value[position])) {
        return std::nullopt;
    }
    qint64 magnitude = 0;
    for (; position < value.size() && isAsciiDigit(value[position]); ++position) {
        magnitude
            = std::min<qint64>(magnitude * 10 + (value[position].unicode() - u'0'), largestReleaseNotesListNumber);
    }
    return int(negative ? std::max<qint64>(-magnitude, smallestReleaseNotesListNumber) : magnitude);
}

// The character browsers show for the number of a numeric character reference: those of
// 128 to 159 as windows-1252 has them (where it has one), U+FFFD for none at all.
char32_t referencedCharacter(char32_t value)
{
    // windows-1252 at 0x80 to 0x9F; 0 where it has no character, and the number stays.
    static constexpr char16_t windows1252[32] = {0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6,
        0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC,
        0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return 0xFFFD;
    }
    if (value >= 0x80 && value <= 0x9F && windows1252[value - 0x80] != 0) {
        return windows1252[value - 0x80];
    }
    return value;
}

// Whether browsers read the named reference without its ';' too: those of the characters
// of Latin-1 and of '&', '<', '>' and '"'.
bool isReadWithoutSemicolon(char32_t character)
{
    return (character >= 0xA0 && character <= 0xFF) || character == u'&' || character == u'<' || character == u'>'
        || character == u'"';
}

// Whether the name is `each`, compared a character at a time.
bool isNamed(const QString &name, const char *each)
{
    qsizetype at = 0;
    for (; at < name.size() && each[at] != '\0'; ++at) {
        if (name[at].unicode() != static_cast<unsigned char>(each[at])) {
            return false;
        }
    }
    return at == name.size() && each[at] == '\0';
}

// Names of elements (lower-case ASCII), told apart from others a character at a time, most
// others by their first letter: notes may hold a million tags.
template <std::size_t count>
class ElementNames
{
public:
    constexpr explicit ElementNames(std::array<const char *, count> names)
        : m_names(names)
    {
        for (const char *name : m_names) {
            m_letters |= quint32(1) << (name[0] - 'a');
        }
    }

    bool contains(const QString &name) const
    {
        if (name.isEmpty() || name[0] < u'a' || name[0] > u'z'
            || (m_letters & (quint32(1) << (name[0].unicode() - u'a'))) == 0) {
            return false;
        }
        return std::any_of(m_names.begin(), m_names.end(), [&name](const char *each) { return isNamed(name, each); });
    }

private:
    std::array<const char *, count> m_names;
    // The first letters of the names, one bit for each of 'a' to 'z'.
    quint32 m_letters = 0;
};

// Elements whose content is text, not markup: up to their end tag, or for <plaintext>, to
// the end of the notes.
constexpr ElementNames rawTextElements(std::array{"xmp", "plaintext"});

// Elements that start and end paragraphs and are nothing else here.
constexpr ElementNames blockElements(std::array{"address", "article", "aside", "blockquote", "body", "center",
    "details", "dialog", "dd", "div", "dl", "dt", "fieldset", "figcaption", "figure", "footer", "form", "header",
    "hgroup", "hr", "html", "legend", "main", "nav", "noscript", "p", "section", "summary"});

constexpr ElementNames listElements(std::array{"ul", "ol", "menu", "dir"});
constexpr ElementNames preformattedElements(std::array{"pre", "listing"});
constexpr ElementNames tableElements(std::array{"table", "tr", "td", "th", "caption"});
constexpr ElementNames hiddenElements(
    std::array{"script", "style", "title", "template", "textarea", "noembed", "noframes", "iframe", "object"});
constexpr ElementNames boldElements(std::array{"b", "strong"});
constexpr ElementNames italicElements(std::array{"i", "em", "cite", "dfn", "var"});
constexpr ElementNames codeElements(std::array{"code", "tt", "kbd", "samp"});
constexpr ElementNames struckElements(std::array{"s", "strike", "del"});

bool isRawText(const QString &name)
{
    return rawTextElements.contains(name);
}

bool isBlock(const QString &name)
{
    return blockElements.contains(name);
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
        qsizetype position = 0;
        qsizetype textStart = 0;
        // Markup, comments and what browsers do not show (scripts, style sheets) are passed
        // over: only the text shown counts against the content's bounds.
        while (position < m_html.size() && !m_builder.isFull()) {
            const QChar character = m_html[position];
            if (character == u'<') {
                const std::optional<HtmlMarkup> markup = scanHtmlMarkup(m_html, position);
                if (!markup) {
                    ++position;
                    continue;
                }
                text(m_html.mid(textStart, position - textStart));
                position = markup->end;
                if (markup->kind == HtmlMarkup::Kind::other) {
                    // A comment or a declaration.
                } else if (markup->kind == HtmlMarkup::Kind::startTag && isHiddenHtmlElement(markup->name)) {
                    position = endOfRawText(markup->name, position).second;
                } else if (markup->kind == HtmlMarkup::Kind::startTag && isRawText(markup->name)) {
                    const auto [bodyEnd, after] = endOfRawText(markup->name, position);
                    rawText(m_html.mid(position, bodyEnd - position));
                    position = after;
                } else if (markup->kind == HtmlMarkup::Kind::startTag) {
                    startTag(*markup);
                } else {
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
        if (!m_builder.isFull() && m_html.size() > textStart) {
            text(m_html.mid(textStart));
        }
    }

private:
    // Where the content of a raw-text or skipped element that starts at `from` ends, and
    // where the text after its end tag starts (the end of the notes for <plaintext>, and
    // when the end tag is missing).
    std::pair<qsizetype, qsizetype> endOfRawText(const QString &name, qsizetype from) const
    {
        const std::pair<qsizetype, qsizetype> toTheEnd{m_html.size(), m_html.size()};
        if (name == QLatin1StringView("plaintext")) {
            return toTheEnd;
        }
        const QString endTag = QStringLiteral("</") + name;
        for (qsizetype at = m_html.indexOf(endTag, from, Qt::CaseInsensitive); at >= 0;
             at = m_html.indexOf(endTag, at + 2, Qt::CaseInsensitive)) {
            const qsizetype after = at + endTag.size();
            if (after >= m_html.size() || isHtmlSpace(m_html[after]) || m_html[after] == u'>'
                || m_html[after] == u'/') {
                const std::optional<HtmlMarkup> markup = scanHtmlMarkup(m_html, at);
                return {at, markup ? markup->end : m_html.size()};
            }
        }
        return toTheEnd;
    }

    ReleaseNotesContentBuilder::Emphasis emphasis() const
    {
        return {m_emphasis.bold > 0 || m_headerCell, m_emphasis.italic > 0, m_emphasis.code > 0, m_emphasis.struck > 0};
    }

    // The format of a paragraph that starts here: in a list item, the first carries the
    // item's marker, preformatted text too.
    Format paragraphFormat()
    {
        if (m_headingLevel > 0) {
            return {Format::Kind::heading, m_headingLevel};
        }
        if (!m_lists.isEmpty() && m_lists.last().itemOpen) {
            return listParagraphFormat(m_lists, m_preformatted > 0);
        }
        if (m_preformatted > 0) {
            return {Format::Kind::code};
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
        if (raw.contains(QChar(0))) {
            // Browsers show no NUL of the text.
            QString withoutNul = raw.toString();
            withoutNul.remove(QChar(0));
            text(withoutNul, fromReference);
            return;
        }
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

    // The content of <xmp> or <plaintext>: preformatted text, tags and references included.
    void rawText(QStringView body)
    {
        endParagraph();
        ++m_preformatted;
        m_preformattedStart = true;
        text(body);
        endParagraph();
        --m_preformatted;
        m_preformattedStart = false;
    }

    static int following(int number) { return number < largestReleaseNotesListNumber ? number + 1 : number; }

    void startTag(const HtmlMarkup &markup)
    {
        const QString &name = markup.name;
        m_preformattedStart = false;
        if (name == QLatin1StringView("br")) {
            lineBreak();
        } else if (const int level = headingLevel(name)) {
            endParagraph();
            m_headingLevel = level;
        } else if (isBlock(name)) {
            endParagraph();
        } else if (listElements.contains(name)) {
            endParagraph();
            const bool ordered = name == QLatin1StringView("ol");
            m_lists.append(ReleaseNotesOpenList{ordered, ordered ? markup.number.value_or(1) : 1});
        } else if (name == QLatin1StringView("li")) {
            endParagraph();
            if (m_lists.isEmpty()) {
                m_lists.append(ReleaseNotesOpenList{});
            }
            ReleaseNotesOpenList &list = m_lists.last();
            list.itemOpen = true;
            list.itemHasParagraph = false;
            if (list.ordered) {
                list.number = markup.number.value_or(list.next);
                list.next = following(list.number);
            }
        } else if (preformattedElements.contains(name)) {
            endParagraph();
            ++m_preformatted;
            m_preformattedStart = true;
        } else if (m_emphasis.follow(name, true)) {
            // Counted.
        } else if (tableElements.contains(name)) {
            tableStartTag(name);
        }
    }

    void endTag(const QString &name)
    {
        m_preformattedStart = false;
        if (name == QLatin1StringView("br")) {
            lineBreak();
        } else if (headingLevel(name)) {
            endParagraph();
            m_headingLevel = 0;
        } else if (isBlock(name)) {
            endParagraph();
        } else if (listElements.contains(name)) {
            endParagraph();
            if (!m_lists.isEmpty()) {
                m_lists.removeLast();
            }
        } else if (name == QLatin1StringView("li")) {
            endParagraph();
            if (!m_lists.isEmpty()) {
                m_lists.last().itemOpen = false;
            }
        } else if (preformattedElements.contains(name)) {
            endParagraph();
            m_preformatted = std::max(0, m_preformatted - 1);
        } else if (m_emphasis.follow(name, false)) {
            // Counted.
        } else if (name == QLatin1StringView("table") && m_tableDepth > 0) {
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
        } else if ((name == QLatin1StringView("th") || name == QLatin1StringView("td")) && m_tableDepth == 1) {
            m_headerCell = false;
        }
    }

    // A table is a table of text; the rows of a table in it are lines of its cell, and its
    // cells words.
    void tableStartTag(const QString &name)
    {
        if (name == QLatin1StringView("table")) {
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
            if (name == QLatin1StringView("tr")) {
                lineBreakAfterText();
            } else {
                m_pendingSpace = true;
            }
            return;
        }
        if (name == QLatin1StringView("tr")) {
            m_builder.beginRow();
        } else {
            // A caption is a row of its own.
            if (name == QLatin1StringView("caption")) {
                m_builder.beginRow();
            }
            m_builder.beginCell();
        }
        m_headerCell = name == QLatin1StringView("th");
        m_paragraphOpen = false;
        m_atLineStart = true;
        m_pendingSpace = false;
    }

    QStringView m_html;
    ReleaseNotesContentBuilder &m_builder;
    HtmlEmphasisDepth m_emphasis;
    int m_headingLevel = 0;
    int m_preformatted = 0;
    bool m_preformattedStart = false;
    int m_tableDepth = 0;
    bool m_headerCell = false;
    QList<ReleaseNotesOpenList> m_lists;
    Format m_format;
    bool m_paragraphOpen = false;
    bool m_atLineStart = true;
    bool m_pendingSpace = false;
};

} // namespace

bool isHiddenHtmlElement(const QString &name)
{
    return hiddenElements.contains(name);
}

bool HtmlEmphasisDepth::follow(const QString &name, bool start)
{
    int *depth = nullptr;
    if (boldElements.contains(name)) {
        depth = &bold;
    } else if (italicElements.contains(name)) {
        depth = &italic;
    } else if (codeElements.contains(name)) {
        depth = &code;
    } else if (struckElements.contains(name)) {
        depth = &struck;
    } else {
        return false;
    }
    *depth = start ? *depth + 1 : std::max(0, *depth - 1);
    return true;
}

std::optional<HtmlMarkup> scanHtmlMarkup(QStringView text, qsizetype at)
{
    const qsizetype length = text.size();
    if (at + 1 >= length) {
        return std::nullopt;
    }
    const auto otherMarkup = [](qsizetype end) {
        return HtmlMarkup{HtmlMarkup::Kind::other, QString(), end, std::nullopt};
    };
    const auto upTo = [&](QChar marker, qsizetype from) {
        const qsizetype found = text.indexOf(marker, from);
        return found < 0 ? length : found + 1;
    };
    const QChar next = text[at + 1];
    if (next == u'!' || next == u'?') {
        const bool comment = text.mid(at, 4) == u"<!--";
        return otherMarkup(comment ? endOfComment(text, at + 4) : upTo(u'>', at + 2));
    }
    const bool closing = next == u'/';
    qsizetype position = at + (closing ? 2 : 1);
    if (closing) {
        if (position >= length) {
            return std::nullopt;
        }
        // "</>" is nothing, and "</" before anything but a letter starts a comment.
        if (!isAsciiLetter(text[position])) {
            return otherMarkup(upTo(u'>', position));
        }
    } else if (!isAsciiLetter(text[position])) {
        return std::nullopt;
    }
    const qsizetype nameStart = position;
    while (position < length && !isHtmlSpace(text[position]) && text[position] != u'/' && text[position] != u'>') {
        ++position;
    }
    HtmlMarkup markup{closing ? HtmlMarkup::Kind::endTag : HtmlMarkup::Kind::startTag,
        asciiLower(text.mid(nameStart, position - nameStart)), 0, std::nullopt};
    const bool isNumbered
        = !closing && (markup.name == QLatin1StringView("ol") || markup.name == QLatin1StringView("li"));
    const QLatin1StringView numberAttribute(markup.name == QLatin1StringView("ol") ? "start" : "value");
    bool numberSeen = false;
    // Attributes, read to find where the tag ends (a '>' in a quoted value does not end it)
    // and for a list's numbers.
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
        // A name (its first character may be '='), perhaps with a value.
        const qsizetype attributeStart = position;
        ++position;
        while (position < length && !isHtmlSpace(text[position]) && text[position] != u'>' && text[position] != u'/'
            && text[position] != u'=') {
            ++position;
        }
        const QStringView attribute = text.mid(attributeStart, position - attributeStart);
        while (position < length && isHtmlSpace(text[position])) {
            ++position;
        }
        if (position >= length || text[position] != u'=') {
            continue;
        }
        ++position;
        while (position < length && isHtmlSpace(text[position])) {
            ++position;
        }
        qsizetype valueStart = position;
        qsizetype valueEnd = position;
        if (position < length && (text[position] == u'"' || text[position] == u'\'')) {
            const qsizetype close = text.indexOf(text[position], position + 1);
            if (close < 0) {
                break;
            }
            valueStart = position + 1;
            valueEnd = close;
            position = close + 1;
        } else {
            while (position < length && !isHtmlSpace(text[position]) && text[position] != u'>') {
                ++position;
            }
            valueEnd = position;
        }
        // Of attributes named twice, browsers keep the first.
        if (isNumbered && !numberSeen && attribute.compare(numberAttribute, Qt::CaseInsensitive) == 0) {
            numberSeen = true;
            markup.number = htmlInteger(text.mid(valueStart, valueEnd - valueStart));
        }
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
        const char32_t character = referencedCharacter(value);
        return std::pair{QString::fromUcs4(&character, 1), position};
    }
    constexpr qsizetype longestName = 32;
    const qsizetype nameStart = position;
    while (position < length && position - nameStart <= longestName
        && (isAsciiLetter(text[position]) || isAsciiDigit(text[position]))) {
        ++position;
    }
    if (position == nameStart) {
        return std::nullopt;
    }
    const QByteArray name = text.mid(nameStart, position - nameStart).toLatin1();
    if (position < length && text[position] == u';') {
        if (const std::optional<char32_t> character = htmlNamedCharacter(QLatin1StringView(name))) {
            return std::pair{QString::fromUcs4(&*character, 1), position + 1};
        }
    }
    // The longest name at its start that browsers read without a ';' ("&copy2024", "&notit").
    constexpr qsizetype longestNameWithoutSemicolon = 6;
    for (qsizetype nameLength = std::min<qsizetype>(name.size(), longestNameWithoutSemicolon); nameLength >= 2;
         --nameLength) {
        const std::optional<char32_t> character = htmlNamedCharacter(QLatin1StringView(name.left(nameLength)));
        if (character && isReadWithoutSemicolon(*character)) {
            return std::pair{QString::fromUcs4(&*character, 1), nameStart + nameLength};
        }
    }
    return std::nullopt;
}

void readHtmlReleaseNotes(QStringView html, ReleaseNotesContentBuilder &builder)
{
    const bool cut = html.size() > maximumScannedReleaseNotesLength;
    HtmlReader(leftOfCharacters(html, maximumScannedReleaseNotesLength), builder).read();
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
