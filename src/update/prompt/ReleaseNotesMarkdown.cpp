#include "update/prompt/ReleaseNotesMarkdown.h"

#include "update/prompt/ReleaseNotesHtml.h"

#include <QHash>
#include <QList>
#include <QStringList>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <optional>

namespace veyra {

namespace {

using Format = ReleaseNotesParagraphFormat;
using Emphasis = ReleaseNotesContentBuilder::Emphasis;

// Links, titles, autolinks and raw HTML tags longer than this are text: looking further
// for their end at every bracket or '<' would take time growing with the square of the text.
constexpr qsizetype longestInlineConstruct = 512;
// Code spans opened by longer runs of backticks are text.
constexpr qsizetype longestBacktickRun = 32;

bool isSpaceOrTab(QChar character)
{
    return character == u' ' || character == u'\t';
}

bool isBlank(QStringView line)
{
    return std::all_of(line.begin(), line.end(), isSpaceOrTab);
}

qsizetype leadingSpaces(QStringView line)
{
    qsizetype count = 0;
    while (count < line.size() && line[count] == u' ') {
        ++count;
    }
    return count;
}

bool isAsciiPunctuation(QChar character)
{
    const char16_t code = character.unicode();
    return (code >= 0x21 && code <= 0x2F) || (code >= 0x3A && code <= 0x40) || (code >= 0x5B && code <= 0x60)
        || (code >= 0x7B && code <= 0x7E);
}

bool isPunctuation(QChar character)
{
    return character.isPunct() || character.isSymbol();
}

bool isAsciiAlphanumeric(QChar character)
{
    const char16_t code = character.unicode();
    return (code >= u'a' && code <= u'z') || (code >= u'A' && code <= u'Z') || (code >= u'0' && code <= u'9');
}

// Tabs as spaces, to the next multiple of four columns.
QString expandTabs(QStringView line)
{
    if (!line.contains(u'\t')) {
        return line.toString();
    }
    QString expanded;
    for (const QChar character : line) {
        if (character == u'\t') {
            expanded += QString(4 - expanded.size() % 4, u' ');
        } else {
            expanded += character;
        }
    }
    return expanded;
}

bool isOneOf(const QString &name, std::initializer_list<const char *> names)
{
    return std::any_of(
        names.begin(), names.end(), [&name](const char *each) { return name == QLatin1StringView(each); });
}

// A list marker at the start of `text`: its width and whether it numbers the items.
struct ListMarker
{
    qsizetype width = 0;
    bool ordered = false;
    // The bullet, or the delimiter after the number.
    QChar character;
    bool startsWithOne = false;
};

std::optional<ListMarker> listMarker(QStringView text)
{
    if (text.isEmpty()) {
        return std::nullopt;
    }
    const auto followedBySpace = [&text](qsizetype at) { return at >= text.size() || isSpaceOrTab(text[at]); };
    const QChar first = text[0];
    if (first == u'-' || first == u'+' || first == u'*') {
        if (!followedBySpace(1)) {
            return std::nullopt;
        }
        return ListMarker{1, false, first, false};
    }
    qsizetype digits = 0;
    while (digits < text.size() && digits < 10 && text[digits].unicode() >= u'0' && text[digits].unicode() <= u'9') {
        ++digits;
    }
    if (digits == 0 || digits > 9 || digits >= text.size() || (text[digits] != u'.' && text[digits] != u')')
        || !followedBySpace(digits + 1)) {
        return std::nullopt;
    }
    return ListMarker{digits + 1, true, text[digits], text.left(digits).toInt() == 1};
}

bool isThematicBreak(QStringView text)
{
    if (text.isEmpty() || (text[0] != u'-' && text[0] != u'*' && text[0] != u'_')) {
        return false;
    }
    const QChar mark = text[0];
    int count = 0;
    for (const QChar character : text) {
        if (character == mark) {
            ++count;
        } else if (!isSpaceOrTab(character)) {
            return false;
        }
    }
    return count >= 3;
}

int atxHeadingLevel(QStringView text)
{
    int level = 0;
    while (level < text.size() && text[level] == u'#') {
        ++level;
    }
    if (level == 0 || level > 6 || (level < text.size() && !isSpaceOrTab(text[level]))) {
        return 0;
    }
    return level;
}

QString atxHeadingText(QStringView text, int level)
{
    QString content = text.mid(level).trimmed().toString();
    // A closing sequence of '#' after a space goes.
    qsizetype end = content.size();
    while (end > 0 && content[end - 1] == u'#') {
        --end;
    }
    if (end == 0) {
        return QString();
    }
    if (end < content.size() && isSpaceOrTab(content[end - 1])) {
        content.truncate(end);
    }
    return content.trimmed();
}

struct Fence
{
    QChar character;
    qsizetype length = 0;
};

std::optional<Fence> fenceStart(QStringView text)
{
    if (text.isEmpty() || (text[0] != u'`' && text[0] != u'~')) {
        return std::nullopt;
    }
    qsizetype length = 0;
    while (length < text.size() && text[length] == text[0]) {
        ++length;
    }
    if (length < 3 || (text[0] == u'`' && text.mid(length).contains(u'`'))) {
        return std::nullopt;
    }
    return Fence{text[0], length};
}

bool closesFence(QStringView text, const Fence &fence)
{
    if (leadingSpaces(text) > 3) {
        return false;
    }
    text = text.mid(leadingSpaces(text));
    qsizetype length = 0;
    while (length < text.size() && text[length] == fence.character) {
        ++length;
    }
    return length >= fence.length && isBlank(text.mid(length));
}

// The cells of a table row; a '|' after a backslash is text.
QStringList tableCells(QStringView row)
{
    QString text = row.trimmed().toString();
    if (text.startsWith(u'|')) {
        text.remove(0, 1);
    }
    if (text.endsWith(u'|') && !text.endsWith(QStringLiteral("\\|"))) {
        text.chop(1);
    }
    QStringList cells;
    QString cell;
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (text[at] == u'\\' && at + 1 < text.size() && text[at + 1] == u'|') {
            cell += u'|';
            ++at;
        } else if (text[at] == u'|') {
            cells.append(cell.trimmed());
            cell.clear();
        } else {
            cell += text[at];
        }
    }
    cells.append(cell.trimmed());
    return cells;
}

bool isTableDelimiterRow(QStringView text)
{
    if (!text.contains(u'|') && !text.contains(u'-')) {
        return false;
    }
    for (const QString &cell : tableCells(text)) {
        QStringView dashes(cell);
        if (dashes.startsWith(u':')) {
            dashes = dashes.mid(1);
        }
        if (dashes.endsWith(u':')) {
            dashes.chop(1);
        }
        if (dashes.isEmpty() || !std::all_of(dashes.begin(), dashes.end(), [](QChar c) { return c == u'-'; })) {
            return false;
        }
    }
    return true;
}

// How an HTML block ends: at a blank line, or at the line holding `endMarker`.
struct HtmlBlockEnd
{
    QString endMarker;
};

std::optional<HtmlBlockEnd> htmlBlockStart(QStringView text, bool interruptsParagraph)
{
    if (!text.startsWith(u'<')) {
        return std::nullopt;
    }
    for (const char *name : {"script", "pre", "style", "textarea"}) {
        const QString start = QStringLiteral("<") + QLatin1StringView(name);
        if (text.startsWith(start, Qt::CaseInsensitive)
            && (text.size() == start.size() || text[start.size()] == u'>' || isSpaceOrTab(text[start.size()]))) {
            return HtmlBlockEnd{QStringLiteral("</") + QLatin1StringView(name) + QLatin1Char('>')};
        }
    }
    if (text.startsWith(u"<!--")) {
        return HtmlBlockEnd{QStringLiteral("-->")};
    }
    if (text.startsWith(u"<?")) {
        return HtmlBlockEnd{QStringLiteral("?>")};
    }
    if (text.startsWith(u"<![CDATA[")) {
        return HtmlBlockEnd{QStringLiteral("]]>")};
    }
    if (text.size() > 2 && text[1] == u'!' && text[2].isLetter()) {
        return HtmlBlockEnd{QStringLiteral(">")};
    }
    const qsizetype nameStart = text.startsWith(u"</") ? 2 : 1;
    qsizetype nameEnd = nameStart;
    while (nameEnd < text.size() && isAsciiAlphanumeric(text[nameEnd])) {
        ++nameEnd;
    }
    if (nameEnd == nameStart) {
        return std::nullopt;
    }
    const QString name = text.mid(nameStart, nameEnd - nameStart).toString().toLower();
    const QStringView after = text.mid(nameEnd);
    const bool nameEnds
        = after.isEmpty() || isSpaceOrTab(after[0]) || after.startsWith(u'>') || after.startsWith(u"/>");
    if (nameEnds
        && isOneOf(name,
            {"address", "article", "aside", "base", "basefont", "blockquote", "body", "caption", "center", "col",
                "colgroup", "dd", "details", "dialog", "dir", "div", "dl", "dt", "fieldset", "figcaption", "figure",
                "footer", "form", "frame", "frameset", "h1", "h2", "h3", "h4", "h5", "h6", "head", "header", "hr",
                "html", "iframe", "legend", "li", "link", "main", "menu", "menuitem", "nav", "noframes", "ol",
                "optgroup", "option", "p", "param", "search", "section", "summary", "table", "tbody", "td", "tfoot",
                "th", "thead", "title", "tr", "track", "ul"})) {
        return HtmlBlockEnd{};
    }
    // A whole tag alone on its line, which cannot interrupt a paragraph.
    if (interruptsParagraph) {
        return std::nullopt;
    }
    const std::optional<HtmlMarkup> tag = scanHtmlMarkup(text, 0, true);
    if (tag && tag->kind != HtmlMarkup::Kind::other && isBlank(text.mid(tag->end))) {
        return HtmlBlockEnd{};
    }
    return std::nullopt;
}

// A leaf block: the text of a paragraph, a heading, a code block, an HTML block or a table.
struct Leaf
{
    enum class Kind {
        paragraph,
        heading,
        code,
        html,
        table,
    };

    Kind kind = Kind::paragraph;
    Format format;
    QStringList lines;
};

class BlockReader
{
public:
    QList<Leaf> read(QStringView markdown)
    {
        qsizetype start = 0;
        while (start <= markdown.size()) {
            qsizetype end = markdown.indexOf(u'\n', start);
            if (end < 0) {
                end = markdown.size();
            }
            line(expandTabs(markdown.mid(start, end - start)));
            start = end + 1;
        }
        closeLeaf();
        while (!m_containers.isEmpty()) {
            closeContainer();
        }
        return std::move(m_leaves);
    }

private:
    struct Container
    {
        bool isItem = false;
        qsizetype contentIndent = 0;
        bool ordered = false;
        QChar marker;
        bool startsList = false;
        bool hasLeaf = false;
    };

    struct ItemKind
    {
        bool ordered = false;
        QChar marker;
    };

    void line(const QString &text)
    {
        QStringView rest(text);
        qsizetype matched = 0;
        for (const Container &container : std::as_const(m_containers)) {
            if (!container.isItem) {
                const qsizetype indent = leadingSpaces(rest);
                if (indent > 3 || indent >= rest.size() || rest[indent] != u'>') {
                    break;
                }
                rest = rest.mid(indent + 1);
                if (rest.startsWith(u' ')) {
                    rest = rest.mid(1);
                }
            } else if (isBlank(rest)) {
                rest = QStringView();
            } else if (leadingSpaces(rest) >= container.contentIndent) {
                rest = rest.mid(container.contentIndent);
            } else {
                break;
            }
            ++matched;
        }
        const bool allMatched = matched == m_containers.size();

        if (m_leaf && allMatched && m_leaf->kind == Leaf::Kind::code && m_fence) {
            if (closesFence(rest, *m_fence)) {
                closeLeaf();
            } else {
                m_leaf->lines.append(rest.mid(std::min(leadingSpaces(rest), m_fenceIndent)).toString());
            }
            return;
        }
        if (m_leaf && allMatched && m_leaf->kind == Leaf::Kind::html) {
            if (m_htmlEnd.isEmpty() && isBlank(rest)) {
                closeLeaf();
                return;
            }
            m_leaf->lines.append(rest.toString());
            if (!m_htmlEnd.isEmpty() && rest.contains(m_htmlEnd, Qt::CaseInsensitive)) {
                closeLeaf();
            }
            return;
        }
        // A line of a paragraph that need not repeat the markers of its containers.
        if (!allMatched && m_leaf && m_leaf->kind == Leaf::Kind::paragraph && !isBlank(rest) && !startsBlock(rest)) {
            m_leaf->lines.append(rest.trimmed().toString());
            return;
        }
        if (!allMatched) {
            closeLeaf();
            while (m_containers.size() > matched) {
                closeContainer();
            }
        }

        // New containers.
        for (;;) {
            const qsizetype indent = leadingSpaces(rest);
            if (indent > 3 || indent >= rest.size()) {
                break;
            }
            const QStringView marked = rest.mid(indent);
            if (marked[0] == u'>') {
                closeLeaf();
                leafOrContainerAtThisLevel();
                m_containers.append(Container{});
                rest = marked.mid(1);
                if (rest.startsWith(u' ')) {
                    rest = rest.mid(1);
                }
                continue;
            }
            const std::optional<ListMarker> marker = listMarker(marked);
            if (!marker || isThematicBreak(marked)) {
                break;
            }
            const QStringView content = marked.mid(marker->width);
            const bool emptyItem = isBlank(content);
            // An item interrupts a paragraph only with text, and a numbered one only from 1.
            if (m_leaf && m_leaf->kind == Leaf::Kind::paragraph
                && (emptyItem || (marker->ordered && !marker->startsWithOne))) {
                break;
            }
            qsizetype spaces = leadingSpaces(content);
            if (emptyItem || spaces > 4) {
                spaces = 1;
            }
            closeLeaf();
            openItem(*marker, indent + marker->width + spaces);
            rest = emptyItem ? QStringView() : content.mid(spaces);
        }

        leafLine(rest);
    }

    // Whether the line starts a block other than a paragraph's next line.
    bool startsBlock(QStringView text) const
    {
        const qsizetype indent = leadingSpaces(text);
        if (indent > 3) {
            return false;
        }
        const QStringView marked = text.mid(indent);
        const std::optional<ListMarker> marker = listMarker(marked);
        return marked.startsWith(u'>') || atxHeadingLevel(marked) > 0 || fenceStart(marked) || isThematicBreak(marked)
            || htmlBlockStart(marked, true) || (marker && !isBlank(marked.mid(marker->width)));
    }

    void leafLine(QStringView rest)
    {
        if (isBlank(rest)) {
            if (m_leaf && m_leaf->kind == Leaf::Kind::code && !m_fence) {
                m_leaf->lines.append(QString());
            } else {
                closeLeaf();
            }
            return;
        }
        const qsizetype indent = leadingSpaces(rest);
        const bool inParagraph = m_leaf && m_leaf->kind == Leaf::Kind::paragraph;
        if (indent >= 4 && !inParagraph && !(m_leaf && m_leaf->kind == Leaf::Kind::table)) {
            if (!(m_leaf && m_leaf->kind == Leaf::Kind::code)) {
                closeLeaf();
                openLeaf(Leaf::Kind::code);
            }
            m_leaf->lines.append(rest.mid(4).toString());
            return;
        }
        const QStringView text = rest.mid(indent);
        if (indent <= 3) {
            if (const int level = atxHeadingLevel(text)) {
                closeLeaf();
                openLeaf(Leaf::Kind::heading);
                m_leaf->format = Format{Format::Kind::heading, level};
                m_leaf->lines.append(atxHeadingText(text, level));
                closeLeaf();
                return;
            }
            if (const std::optional<Fence> fence = fenceStart(text)) {
                closeLeaf();
                openLeaf(Leaf::Kind::code);
                m_fence = fence;
                m_fenceIndent = indent;
                return;
            }
            if (inParagraph && m_leaf->lines.size() >= 1 && !text.isEmpty() && (text[0] == u'=' || text[0] == u'-')) {
                const QStringView underline = text.trimmed();
                if (std::all_of(underline.begin(), underline.end(), [&text](QChar c) { return c == text[0]; })) {
                    m_leaf->kind = Leaf::Kind::heading;
                    m_leaf->format = Format{Format::Kind::heading, text[0] == u'=' ? 1 : 2};
                    closeLeaf();
                    return;
                }
            }
            if (isThematicBreak(text)) {
                closeLeaf();
                leafOrContainerAtThisLevel();
                return;
            }
            if (inParagraph && m_leaf->lines.size() == 1 && isTableDelimiterRow(text)
                && tableCells(m_leaf->lines.first()).size() == tableCells(text).size()) {
                m_leaf->kind = Leaf::Kind::table;
                return;
            }
            if (const std::optional<HtmlBlockEnd> html = htmlBlockStart(text, inParagraph)) {
                closeLeaf();
                openLeaf(Leaf::Kind::html);
                m_htmlEnd = html->endMarker;
                m_leaf->lines.append(rest.toString());
                if (!m_htmlEnd.isEmpty() && text.mid(1).contains(m_htmlEnd, Qt::CaseInsensitive)) {
                    closeLeaf();
                }
                return;
            }
        }
        if (m_leaf && (m_leaf->kind == Leaf::Kind::paragraph || m_leaf->kind == Leaf::Kind::table)) {
            m_leaf->lines.append(text.toString());
            return;
        }
        closeLeaf();
        openLeaf(Leaf::Kind::paragraph);
        m_leaf->lines.append(text.toString());
    }

    // A list at this level has ended: what follows is no item of it.
    void leafOrContainerAtThisLevel()
    {
        if (m_previousItem.size() > m_containers.size()) {
            m_previousItem.resize(m_containers.size());
        }
    }

    void openItem(const ListMarker &marker, qsizetype contentIndent)
    {
        const qsizetype level = m_containers.size();
        bool startsList = true;
        if (m_previousItem.size() > level) {
            if (const std::optional<ItemKind> &previous = m_previousItem[level]) {
                startsList = previous->ordered != marker.ordered || previous->marker != marker.character;
            }
        }
        m_previousItem.resize(level);
        m_containers.append(Container{true, contentIndent, marker.ordered, marker.character, startsList, false});
    }

    void closeContainer()
    {
        const Container container = m_containers.takeLast();
        const qsizetype level = m_containers.size();
        m_previousItem.resize(level + 1);
        if (container.isItem) {
            m_previousItem[level] = ItemKind{container.ordered, container.marker};
        } else {
            m_previousItem[level].reset();
        }
    }

    void openLeaf(Leaf::Kind kind)
    {
        leafOrContainerAtThisLevel();
        m_leaf = Leaf{kind, {}, {}};
        m_fence.reset();
        m_htmlEnd.clear();
        // The first paragraph of a list item carries its marker; the others are indented as
        // the item.
        int depth = 0;
        Container *innermostItem = nullptr;
        for (Container &container : m_containers) {
            if (container.isItem) {
                ++depth;
                innermostItem = &container;
            }
        }
        if (!innermostItem) {
            return;
        }
        depth = std::min(depth, maximumReleaseNotesListDepth);
        if (innermostItem->hasLeaf) {
            m_leaf->format = Format{Format::Kind::listContinuation, depth};
        } else {
            m_leaf->format = Format{Format::Kind::listItem, depth, innermostItem->ordered, innermostItem->startsList};
            innermostItem->hasLeaf = true;
        }
    }

    void closeLeaf()
    {
        if (!m_leaf) {
            return;
        }
        if (m_leaf->kind == Leaf::Kind::code) {
            while (!m_leaf->lines.isEmpty() && isBlank(m_leaf->lines.last())) {
                m_leaf->lines.removeLast();
            }
        }
        m_leaves.append(std::move(*m_leaf));
        m_leaf.reset();
        m_fence.reset();
        m_htmlEnd.clear();
    }

    QList<Container> m_containers;
    // Per level of containers, the item that ended last there, which a new item of the
    // same kind continues the list of.
    QList<std::optional<ItemKind>> m_previousItem;
    std::optional<Leaf> m_leaf;
    std::optional<Fence> m_fence;
    qsizetype m_fenceIndent = 0;
    QString m_htmlEnd;
    QList<Leaf> m_leaves;
};

QString normalizedLabel(QStringView label)
{
    return label.toString().simplified().toCaseFolded();
}

// Reads the definitions of link references ("[label]: destination") at the start of the
// paragraph, and takes them out of it.
void takeLinkDefinitions(Leaf &paragraph, QHash<QString, bool> &labels)
{
    while (!paragraph.lines.isEmpty()) {
        const QString &line = paragraph.lines.first();
        if (!line.startsWith(u'[')) {
            return;
        }
        const qsizetype close = line.indexOf(QStringLiteral("]:"));
        if (close < 2 || line.indexOf(u']') != close || isBlank(QStringView(line).mid(close + 2))) {
            return;
        }
        labels.insert(normalizedLabel(QStringView(line).mid(1, close - 1)), true);
        paragraph.lines.removeFirst();
    }
}

class InlineReader
{
public:
    InlineReader(QStringView text, const QHash<QString, bool> &labels)
        : m_text(text)
        , m_labels(labels)
    { }

    void read(ReleaseNotesContentBuilder &builder, const Format &format, bool bold)
    {
        tokenize();
        m_strongChange.fill(0, m_tokens.size() + 1);
        m_emphasisChange.fill(0, m_tokens.size() + 1);
        resolveEmphasis();
        int strong = 0;
        int emphasis = 0;
        for (qsizetype index = 0; index < m_tokens.size(); ++index) {
            strong += m_strongChange[index];
            emphasis += m_emphasisChange[index];
            const Token &token = m_tokens[index];
            if (token.lineBreak) {
                builder.addLineBreak(format);
                continue;
            }
            QString text = token.text;
            if (token.delimiter) {
                text = QString(token.count, token.character);
            }
            if (text.isEmpty()) {
                continue;
            }
            const Emphasis shown{bold || strong > 0 || token.htmlBold > 0, emphasis > 0 || token.htmlItalic > 0,
                token.code || token.htmlCode > 0};
            builder.addText(text, shown, format);
        }
    }

private:
    struct Token
    {
        QString text;
        bool code = false;
        bool lineBreak = false;
        // A run of '*', '_' or '~': `count` of them are left as text.
        bool delimiter = false;
        QChar character;
        qsizetype count = 0;
        qsizetype length = 0;
        bool canOpen = false;
        bool canClose = false;
        int htmlBold = 0;
        int htmlItalic = 0;
        int htmlCode = 0;
    };

    static Token textToken(QString text)
    {
        Token token;
        token.text = std::move(text);
        return token;
    }

    static Token codeToken(QString text)
    {
        Token token = textToken(std::move(text));
        token.code = true;
        return token;
    }

    static Token lineBreakToken()
    {
        Token token;
        token.lineBreak = true;
        return token;
    }

    struct Bracket
    {
        qsizetype token = 0;
        qsizetype sourceStart = 0;
        bool image = false;
    };

    Token &addToken(Token token)
    {
        token.htmlBold = m_htmlBold;
        token.htmlItalic = m_htmlItalic;
        token.htmlCode = m_htmlCode;
        m_tokens.append(std::move(token));
        return m_tokens.last();
    }

    void addText(QStringView text)
    {
        if (text.isEmpty()) {
            return;
        }
        if (!m_tokens.isEmpty()) {
            Token &last = m_tokens.last();
            if (!last.delimiter && !last.lineBreak && !last.code && last.htmlBold == m_htmlBold
                && last.htmlItalic == m_htmlItalic && last.htmlCode == m_htmlCode && m_openTextToken) {
                last.text += text;
                return;
            }
        }
        addToken(textToken(text.toString()));
        m_openTextToken = true;
    }

    void addSeparateToken(Token token)
    {
        addToken(std::move(token));
        m_openTextToken = false;
    }

    // Trailing spaces of the text so far: how many, and they are taken out.
    qsizetype takeTrailingSpaces()
    {
        if (m_tokens.isEmpty() || m_tokens.last().delimiter || m_tokens.last().code || m_tokens.last().lineBreak) {
            return 0;
        }
        QString &text = m_tokens.last().text;
        qsizetype spaces = 0;
        while (spaces < text.size() && text[text.size() - 1 - spaces] == u' ') {
            ++spaces;
        }
        text.chop(spaces);
        return spaces;
    }

    void tokenize()
    {
        const qsizetype length = m_text.size();
        const qsizetype lastGreaterThan = m_text.lastIndexOf(u'>');
        std::array<bool, longestBacktickRun + 1> unclosedRuns{};
        qsizetype position = 0;
        while (position < length) {
            const QChar character = m_text[position];
            const char16_t code = character.unicode();
            if (code == u'\\') {
                if (position + 1 < length && m_text[position + 1] == u'\n') {
                    takeTrailingSpaces();
                    addSeparateToken(lineBreakToken());
                    position = skipLineStart(position + 2);
                } else if (position + 1 < length && isAsciiPunctuation(m_text[position + 1])) {
                    addText(m_text.mid(position + 1, 1));
                    position += 2;
                } else {
                    addText(u"\\");
                    ++position;
                }
            } else if (code == u'`') {
                position = codeSpan(position, unclosedRuns);
            } else if (code == u'*' || code == u'_' || code == u'~') {
                position = delimiterRun(position);
            } else if (code == u'!' && position + 1 < length && m_text[position + 1] == u'[') {
                m_brackets.append(Bracket{m_tokens.size(), position + 2, true});
                addSeparateToken(textToken(QStringLiteral("![")));
                position += 2;
            } else if (code == u'[') {
                m_brackets.append(Bracket{m_tokens.size(), position + 1, false});
                addSeparateToken(textToken(QStringLiteral("[")));
                ++position;
            } else if (code == u']') {
                position = closeBracket(position);
            } else if (code == u'<') {
                position = angleBracket(position, lastGreaterThan);
            } else if (code == u'&') {
                if (const auto reference = decodeHtmlCharacterReference(m_text, position)) {
                    addText(reference->first);
                    position = reference->second;
                } else {
                    addText(u"&");
                    ++position;
                }
            } else if (code == u'\n') {
                const bool hard = takeTrailingSpaces() >= 2;
                if (hard) {
                    addSeparateToken(lineBreakToken());
                } else {
                    addText(u" ");
                }
                position = skipLineStart(position + 1);
            } else {
                qsizetype end = position + 1;
                while (end < length && !isSpecial(m_text[end])) {
                    ++end;
                }
                addText(m_text.mid(position, end - position));
                position = end;
            }
        }
        takeTrailingSpaces();
    }

    static bool isSpecial(QChar character)
    {
        switch (character.unicode()) {
        case u'\\':
        case u'`':
        case u'*':
        case u'_':
        case u'~':
        case u'!':
        case u'[':
        case u']':
        case u'<':
        case u'&':
        case u'\n':
            return true;
        default:
            return false;
        }
    }

    qsizetype skipLineStart(qsizetype position) const
    {
        while (position < m_text.size() && isSpaceOrTab(m_text[position])) {
            ++position;
        }
        return position;
    }

    qsizetype runEnd(qsizetype position) const
    {
        qsizetype end = position;
        while (end < m_text.size() && m_text[end] == m_text[position]) {
            ++end;
        }
        return end;
    }

    qsizetype codeSpan(qsizetype position, std::array<bool, longestBacktickRun + 1> &unclosedRuns)
    {
        const qsizetype end = runEnd(position);
        const qsizetype run = end - position;
        if (run > longestBacktickRun || unclosedRuns[run]) {
            addText(m_text.mid(position, run));
            return end;
        }
        for (qsizetype close = m_text.indexOf(u'`', end); close >= 0; close = m_text.indexOf(u'`', close)) {
            const qsizetype closeEnd = runEnd(close);
            if (closeEnd - close == run) {
                QString content = m_text.mid(end, close - end).toString();
                content.replace(u'\n', u' ');
                if (content.size() >= 2 && content.startsWith(u' ') && content.endsWith(u' ') && !isBlank(content)) {
                    content = content.mid(1, content.size() - 2);
                }
                addSeparateToken(codeToken(content));
                return closeEnd;
            }
            close = closeEnd;
        }
        // No run of this length closes it here, nor after any later one.
        unclosedRuns[run] = true;
        addText(m_text.mid(position, run));
        return end;
    }

    qsizetype delimiterRun(qsizetype position)
    {
        const qsizetype end = runEnd(position);
        const QChar character = m_text[position];
        const QChar before = position > 0 ? m_text[position - 1] : QChar(u'\n');
        const QChar after = end < m_text.size() ? m_text[end] : QChar(u'\n');
        const bool leftFlanking
            = !after.isSpace() && (!isPunctuation(after) || before.isSpace() || isPunctuation(before));
        const bool rightFlanking
            = !before.isSpace() && (!isPunctuation(before) || after.isSpace() || isPunctuation(after));
        Token token;
        token.delimiter = true;
        token.character = character;
        token.count = end - position;
        token.length = token.count;
        if (character == u'_') {
            token.canOpen = leftFlanking && (!rightFlanking || isPunctuation(before));
            token.canClose = rightFlanking && (!leftFlanking || isPunctuation(after));
        } else {
            token.canOpen = leftFlanking;
            token.canClose = rightFlanking;
        }
        // Strikethrough is one or two tildes.
        if (character == u'~' && token.count > 2) {
            addText(m_text.mid(position, token.count));
            return end;
        }
        addSeparateToken(std::move(token));
        return end;
    }

    qsizetype closeBracket(qsizetype position)
    {
        if (m_brackets.isEmpty()) {
            addText(u"]");
            return position + 1;
        }
        const Bracket opener = m_brackets.takeLast();
        const qsizetype after = position + 1;
        qsizetype end = -1;
        if (after < m_text.size() && m_text[after] == u'(') {
            end = inlineLinkEnd(after);
        } else if (after < m_text.size() && m_text[after] == u'[') {
            const qsizetype close = m_text.indexOf(u']', after + 1);
            if (close >= 0 && close - after <= longestInlineConstruct) {
                QStringView label = m_text.mid(after + 1, close - after - 1);
                if (label.isEmpty()) {
                    label = m_text.mid(opener.sourceStart, position - opener.sourceStart);
                }
                if (m_labels.contains(normalizedLabel(label))) {
                    end = close + 1;
                }
            }
        } else if (position - opener.sourceStart <= longestInlineConstruct
            && m_labels.contains(normalizedLabel(m_text.mid(opener.sourceStart, position - opener.sourceStart)))) {
            end = after;
        }
        if (end < 0) {
            addText(u"]");
            return after;
        }
        if (opener.image) {
            // An image shows nothing, not even its description.
            m_tokens.resize(opener.token);
            m_brackets.removeIf([&opener](const Bracket &bracket) { return bracket.token >= opener.token; });
        } else {
            // A link shows its text.
            m_tokens[opener.token].text.clear();
        }
        m_openTextToken = false;
        return end;
    }

    // Where an inline link's "(destination "title")" that starts at `open` ends, or -1.
    qsizetype inlineLinkEnd(qsizetype open) const
    {
        const qsizetype limit = std::min(m_text.size(), open + longestInlineConstruct);
        qsizetype position = skipSpaces(open + 1, limit);
        if (position < limit && m_text[position] == u'<') {
            while (position < limit && m_text[position] != u'>' && m_text[position] != u'\n') {
                position += m_text[position] == u'\\' ? 2 : 1;
            }
            if (position >= limit || m_text[position] != u'>') {
                return -1;
            }
            ++position;
        } else {
            int depth = 0;
            while (position < limit && !m_text[position].isSpace()) {
                const QChar character = m_text[position];
                if (character == u'\\') {
                    position += 2;
                    continue;
                }
                if (character == u'(') {
                    if (++depth > 32) {
                        return -1;
                    }
                } else if (character == u')') {
                    if (depth == 0) {
                        break;
                    }
                    --depth;
                }
                ++position;
            }
        }
        position = skipSpaces(position, limit);
        if (position < limit && (m_text[position] == u'"' || m_text[position] == u'\'' || m_text[position] == u'(')) {
            const QChar close = m_text[position] == u'(' ? QChar(u')') : m_text[position];
            ++position;
            while (position < limit && m_text[position] != close) {
                position += m_text[position] == u'\\' ? 2 : 1;
            }
            if (position >= limit) {
                return -1;
            }
            position = skipSpaces(position + 1, limit);
        }
        if (position >= limit || m_text[position] != u')') {
            return -1;
        }
        return position + 1;
    }

    qsizetype skipSpaces(qsizetype position, qsizetype limit) const
    {
        while (position < limit && m_text[position].isSpace()) {
            ++position;
        }
        return position;
    }

    qsizetype angleBracket(qsizetype position, qsizetype lastGreaterThan)
    {
        if (lastGreaterThan < position) {
            addText(u"<");
            return position + 1;
        }
        const qsizetype limit = std::min(m_text.size(), position + longestInlineConstruct);
        // An autolink shows its address.
        qsizetype end = position + 1;
        while (end < limit && m_text[end] != u'>' && m_text[end] != u'<' && !m_text[end].isSpace()) {
            ++end;
        }
        if (end < limit && m_text[end] == u'>' && end > position + 1) {
            const QStringView address = m_text.mid(position + 1, end - position - 1);
            const qsizetype colon = address.indexOf(u':');
            const bool uri = colon >= 2 && colon <= 32 && address[0].isLetter()
                && std::all_of(address.begin(), address.begin() + colon,
                    [](QChar c) { return isAsciiAlphanumeric(c) || c == u'+' || c == u'.' || c == u'-'; });
            const qsizetype at = address.indexOf(u'@');
            const bool email = !uri && at > 0 && at < address.size() - 1;
            if (uri || email) {
                addText(address);
                return end + 1;
            }
        }
        const std::optional<HtmlMarkup> markup = scanHtmlMarkup(m_text.left(limit), position, true);
        if (!markup) {
            addText(u"<");
            return position + 1;
        }
        htmlTag(*markup);
        return markup->end;
    }

    // What an HTML tag among the text means here: emphasis, code or a line break.
    void htmlTag(const HtmlMarkup &markup)
    {
        const bool start = markup.kind == HtmlMarkup::Kind::startTag;
        const int change = start ? 1 : -1;
        const auto adjust = [change](int &count) { count = std::max(0, count + change); };
        if (markup.kind == HtmlMarkup::Kind::other) {
            return;
        }
        if (markup.name == u"br") {
            takeTrailingSpaces();
            addSeparateToken(lineBreakToken());
        } else if (isOneOf(markup.name, {"b", "strong"})) {
            adjust(m_htmlBold);
        } else if (isOneOf(markup.name, {"i", "em", "cite", "dfn", "var"})) {
            adjust(m_htmlItalic);
        } else if (isOneOf(markup.name, {"code", "tt", "kbd", "samp"})) {
            adjust(m_htmlCode);
        }
        m_openTextToken = false;
    }

    // Pairs the runs of '*', '_' and '~' as CommonMark does, in time linear in their number.
    void resolveEmphasis()
    {
        QList<qsizetype> runs;
        for (qsizetype index = 0; index < m_tokens.size(); ++index) {
            if (m_tokens[index].delimiter) {
                runs.append(index);
            }
        }
        const qsizetype count = runs.size();
        QList<qsizetype> previous(count);
        QList<qsizetype> next(count);
        for (qsizetype run = 0; run < count; ++run) {
            previous[run] = run - 1;
            next[run] = run + 1;
        }
        const auto remove = [&](qsizetype run) {
            if (previous[run] >= 0) {
                next[previous[run]] = next[run];
            }
            if (next[run] < count) {
                previous[next[run]] = previous[run];
            }
        };
        // Per kind of closer (its character, its length modulo 3, whether it also opens),
        // the run below which no opener was found before.
        std::array<qsizetype, 3 * 3 * 2> openersBottom;
        openersBottom.fill(-1);
        qsizetype closer = 0;
        while (closer < count) {
            Token &closing = m_tokens[runs[closer]];
            if (!closing.canClose || closing.count == 0) {
                closer = next[closer];
                continue;
            }
            const int character = closing.character == u'*' ? 0 : closing.character == u'_' ? 1 : 2;
            const auto kind = std::size_t(character * 6 + int(closing.length % 3) * 2 + (closing.canOpen ? 1 : 0));
            const qsizetype bottom = openersBottom[kind];
            qsizetype opener = previous[closer];
            bool found = false;
            while (opener > bottom && opener >= 0) {
                const Token &opening = m_tokens[runs[opener]];
                if (opening.character == closing.character && opening.canOpen && opening.count > 0
                    && matches(opening, closing)) {
                    found = true;
                    break;
                }
                opener = previous[opener];
            }
            if (!found) {
                openersBottom[kind] = previous[closer];
                if (!closing.canOpen) {
                    remove(closer);
                }
                closer = next[closer];
                continue;
            }
            Token &opening = m_tokens[runs[opener]];
            qsizetype used = 1;
            if (closing.character == u'~') {
                used = closing.count;
            } else if (opening.count >= 2 && closing.count >= 2) {
                used = 2;
            }
            opening.count -= used;
            closing.count -= used;
            if (closing.character != u'~') {
                auto &change = used == 2 ? m_strongChange : m_emphasisChange;
                change[runs[opener] + 1] += 1;
                change[runs[closer]] -= 1;
            }
            // Runs between the two are text now.
            next[opener] = closer;
            previous[closer] = opener;
            if (opening.count == 0) {
                remove(opener);
            }
            if (closing.count == 0) {
                remove(closer);
                closer = next[closer];
            }
        }
    }

    static bool matches(const Token &opening, const Token &closing)
    {
        if (closing.character == u'~') {
            return opening.count == closing.count;
        }
        // The rule of three: a run that both opens and closes pairs only with a run whose
        // length does not add up to a multiple of three with its own, unless both are such.
        if ((opening.canClose || closing.canOpen) && (opening.length + closing.length) % 3 == 0) {
            return opening.length % 3 == 0 && closing.length % 3 == 0;
        }
        return true;
    }

    QStringView m_text;
    const QHash<QString, bool> &m_labels;
    QList<Token> m_tokens;
    QList<Bracket> m_brackets;
    // Per token, by how much strong emphasis and emphasis change before it.
    QList<int> m_strongChange;
    QList<int> m_emphasisChange;
    bool m_openTextToken = false;
    int m_htmlBold = 0;
    int m_htmlItalic = 0;
    int m_htmlCode = 0;
};

} // namespace

ReleaseNotesContent readMarkdownReleaseNotes(QStringView markdown)
{
    bool cut = false;
    QString text = markdown.toString();
    if (text.size() > maximumReadReleaseNotesLength) {
        cut = true;
        const qsizetype lineEnd = text.lastIndexOf(u'\n', maximumReadReleaseNotesLength);
        text.truncate(lineEnd > 0 ? lineEnd : maximumReadReleaseNotesLength);
    }
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    text.replace(QChar(0), QChar(QChar::ReplacementCharacter));

    QList<Leaf> leaves = BlockReader().read(text);
    QHash<QString, bool> labels;
    for (Leaf &leaf : leaves) {
        if (leaf.kind == Leaf::Kind::paragraph) {
            takeLinkDefinitions(leaf, labels);
        }
    }

    ReleaseNotesContentBuilder builder;
    for (const Leaf &leaf : std::as_const(leaves)) {
        if (builder.isFull()) {
            break;
        }
        builder.endParagraph();
        switch (leaf.kind) {
        case Leaf::Kind::paragraph:
        case Leaf::Kind::heading:
            if (!leaf.lines.isEmpty()) {
                InlineReader(leaf.lines.join(u'\n'), labels).read(builder, leaf.format, false);
            }
            break;
        case Leaf::Kind::code: {
            const Format code{Format::Kind::code};
            for (qsizetype index = 0; index < leaf.lines.size(); ++index) {
                if (index > 0) {
                    builder.addLineBreak(code);
                }
                builder.addText(leaf.lines[index], {}, code);
            }
            break;
        }
        case Leaf::Kind::html:
            readHtmlReleaseNotes(leaf.lines.join(u'\n'), builder);
            builder.endTable();
            break;
        case Leaf::Kind::table:
            builder.beginTable();
            for (qsizetype row = 0; row < leaf.lines.size(); ++row) {
                builder.beginRow();
                for (const QString &cell : tableCells(leaf.lines[row])) {
                    builder.beginCell();
                    InlineReader(cell, labels).read(builder, {}, row == 0);
                }
            }
            builder.endTable();
            break;
        }
    }
    if (cut) {
        builder.cut();
    }
    return builder.take();
}

} // namespace veyra
