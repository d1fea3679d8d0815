#include "update/prompt/ReleaseNotesMarkdown.h"

#include "update/prompt/ReleaseNotesHtml.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <md4c.h>

#include <algorithm>
#include <utility>
#include <vector>

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

// The flags md4c reads notes with; every reading of them must use the same.
constexpr unsigned markdownFlags
    = MD_FLAG_TABLES | MD_FLAG_STRIKETHROUGH | MD_FLAG_TASKLISTS | MD_FLAG_COLLAPSEWHITESPACE;

// md4c pairs the link brackets of a block of text ('[' or "![" with ']') as a stack does and
// looks the text of every pair up among the notes' link references, in time in proportion to
// that text (the text of a pair over several lines is copied first, references or not); so
// nested pairs took it time growing with the square of their depth (16000 of them, 1.2 s).
// For each pair it also finds the line it is on by counting the lines from the block's first
// (32000 lines of a paragraph, each with a pair, took it 150 ms), far faster than it reads
// text: every linkBracketLineCost lines cost about what a byte of text does.
// The openers whose pairs would cost it most are hidden from it: written as
// hiddenLinkOpener, punctuation that md4c reads as it reads '[' in every other respect (in
// emphasis, escapes, raw HTML and autolinks alike) and of the same size, and shown as the
// '[' they are; until all pairs md4c may make cost it no more than this many bytes of text.
// The links of ordinary notes are never hidden: their pairs cost far less (those of a
// changelog of 500 items with a link each, some 17 Ki).
constexpr qsizetype largestLinkBracketArea = 128 * 1024;
constexpr qsizetype linkBracketLineCost = 8;
constexpr char hiddenLinkOpener = ',';
// No link reference label is longer than this (md4c reads 999 characters at most, and
// containers' markers between its lines count here too).
constexpr qsizetype longestLinkLabel = 8 * 1024;

bool isAsciiPunctuation(char character)
{
    return (character >= '!' && character <= '/') || (character >= ':' && character <= '@')
        || (character >= '[' && character <= '`') || (character >= '{' && character <= '~');
}

// Whether the character at `at` is escaped by the backslashes before it. A code span or raw
// HTML ends with '`' or '>', so backslashes right before a character are text when it is.
bool isEscaped(const QByteArray &text, qsizetype at)
{
    qsizetype backslashes = 0;
    while (at - backslashes > 0 && text[at - backslashes - 1] == '\\') {
        ++backslashes;
    }
    return backslashes % 2 == 1;
}

// The runs of lines between blank lines: no block of text that md4c reads links in goes on
// past one. Each is [start, end).
std::vector<std::pair<qsizetype, qsizetype>> lineRuns(const QByteArray &text)
{
    std::vector<std::pair<qsizetype, qsizetype>> runs;
    qsizetype start = 0;
    qsizetype at = 0;
    while (at < text.size()) {
        qsizetype lineEnd = text.indexOf('\n', at);
        lineEnd = lineEnd < 0 ? text.size() : lineEnd + 1;
        const bool blank = std::all_of(
            text.begin() + at, text.begin() + lineEnd, [](char c) { return c == ' ' || c == '\t' || c == '\n'; });
        at = lineEnd;
        if (blank) {
            runs.emplace_back(start, at);
            start = at;
        }
    }
    if (start < text.size()) {
        runs.emplace_back(start, text.size());
    }
    return runs;
}

// A '[' that is not escaped, and what md4c may read it as besides an opener.
struct Bracket
{
    enum class Kind {
        // Only an opener, or nothing (in a code span, raw HTML or an autolink).
        opener,
        // "[ ]", "[x]" or "[X]" before a space: the box of a task item.
        task,
        // Before "]:" in the same block: the label of a link reference definition.
        label,
        // The '[' of "<![" or "<![CDATA[" (in raw HTML).
        markup,
    };

    qsizetype at = 0;
    Kind kind = Kind::opener;
    // Of a label: the ']' that ends it, and whether a code span or raw HTML may start in it.
    qsizetype labelEnd = -1;
    bool plainLabel = false;
};

std::vector<Bracket> bracketsOf(const QByteArray &text)
{
    std::vector<Bracket> brackets;
    const qsizetype size = text.size();
    for (qsizetype at = text.indexOf('['); at >= 0; at = text.indexOf('[', at + 1)) {
        if (isEscaped(text, at)) {
            continue;
        }
        Bracket bracket{at};
        const auto isSpace = [&](qsizetype position) {
            return position >= size || text[position] == ' ' || text[position] == '\t' || text[position] == '\n';
        };
        if (at + 2 < size && (text[at + 1] == ' ' || text[at + 1] == 'x' || text[at + 1] == 'X') && text[at + 2] == ']'
            && isSpace(at + 3)) {
            bracket.kind = Bracket::Kind::task;
        } else if ((at >= 2 && text[at - 1] == '!' && text[at - 2] == '<')
            || (at >= 8 && text.mid(at - 8, 8) == "<![CDATA")) {
            bracket.kind = Bracket::Kind::markup;
        } else {
            bool plain = true;
            for (qsizetype next = at + 1; next < size && next - at <= longestLinkLabel; ++next) {
                const char character = text[next];
                if (character == '\\' && next + 1 < size
                    && (isAsciiPunctuation(text[next + 1]) || text[next + 1] == '\n')) {
                    ++next;
                } else if (character == '[') {
                    break;
                } else if (character == ']') {
                    if (next + 1 < size && text[next + 1] == ':') {
                        bracket.kind = Bracket::Kind::label;
                        bracket.labelEnd = next;
                        bracket.plainLabel = plain;
                    }
                    break;
                } else if (character == '`' || character == '<') {
                    plain = false;
                }
            }
        }
        brackets.push_back(bracket);
    }
    return brackets;
}

// What md4c reports of every byte of the notes, read with only the brackets that may mean
// more than an opener written as they are.
struct ReadBytes
{
    enum : char {
        // Not reported as itself: markup, a reference definition, the box of a task, ...
        unreported,
        // Text outside links and images.
        text,
        // Text of a link (an autolink too) or an image.
        linkText,
        // In a code span, a code block or HTML.
        code,
    };

    std::vector<char> kinds;
    // For each link or image: where the first text reported after its start is, and where the
    // text reported before it ended.
    std::vector<std::pair<qsizetype, qsizetype>> linkStarts;
    // Where the text reported before each start or end of a block ended, ascending, from 0:
    // the text of a block that md4c reads links in lies between two of them.
    std::vector<qsizetype> blockStarts{0};
};

class ByteReporter
{
public:
    explicit ByteReporter(const QByteArray &text)
        : m_base(text.constData())
        , m_size(text.size())
    {
        m_read.kinds.assign(std::size_t(m_size), ReadBytes::unreported);
    }

    ReadBytes read(const QByteArray &text)
    {
        MD_PARSER parser{};
        parser.flags = markdownFlags;
        parser.enter_block
            = [](MD_BLOCKTYPE, void *, void *self) { return static_cast<ByteReporter *>(self)->block(); };
        parser.leave_block
            = [](MD_BLOCKTYPE, void *, void *self) { return static_cast<ByteReporter *>(self)->block(); };
        parser.enter_span
            = [](MD_SPANTYPE type, void *, void *self) { return static_cast<ByteReporter *>(self)->span(type, 1); };
        parser.leave_span
            = [](MD_SPANTYPE type, void *, void *self) { return static_cast<ByteReporter *>(self)->span(type, -1); };
        parser.text = [](MD_TEXTTYPE type, const MD_CHAR *text, MD_SIZE size, void *self) {
            return static_cast<ByteReporter *>(self)->text(type, text, size);
        };
        md_parse(text.constData(), MD_SIZE(text.size()), &parser, this);
        return std::move(m_read);
    }

private:
    int block()
    {
        if (m_reportedEnd > m_read.blockStarts.back()) {
            m_read.blockStarts.push_back(m_reportedEnd);
        }
        return 0;
    }

    int span(MD_SPANTYPE type, int change)
    {
        if (type == MD_SPAN_A || type == MD_SPAN_IMG) {
            m_linkDepth += change;
            if (change > 0) {
                ++m_pendingLinks;
            }
        }
        return 0;
    }

    int text(MD_TEXTTYPE type, const MD_CHAR *text, MD_SIZE size)
    {
        // Line breaks and the spaces of collapsed white space are not the notes' own bytes.
        if (text < m_base || text >= m_base + m_size) {
            return 0;
        }
        const qsizetype offset = text - m_base;
        const qsizetype end = std::min<qsizetype>(offset + qsizetype(size), m_size);
        for (; m_pendingLinks > 0; --m_pendingLinks) {
            m_read.linkStarts.emplace_back(offset, m_reportedEnd);
        }
        char kind = m_linkDepth > 0 ? ReadBytes::linkText : ReadBytes::text;
        if (type == MD_TEXT_CODE || type == MD_TEXT_HTML) {
            kind = ReadBytes::code;
        }
        std::fill(m_read.kinds.begin() + offset, m_read.kinds.begin() + end, kind);
        m_reportedEnd = std::max(m_reportedEnd, end);
        return 0;
    }

    const char *m_base;
    qsizetype m_size;
    ReadBytes m_read;
    int m_linkDepth = 0;
    int m_pendingLinks = 0;
    qsizetype m_reportedEnd = 0;
};

// Notes for md4c, with the link openers that would cost it most hidden.
struct BoundedLinks
{
    QByteArray text;
    // The offsets of the hidden openers, ascending.
    std::vector<qsizetype> hidden;
};

// An opener and how far md4c may read for the pair it opens, at most.
struct LinkOpener
{
    qsizetype span = 0;
    qsizetype at = 0;
};

// Hides openers, those with the longest pairs first (hiding one only shortens the pairs
// around it), until the pairs of the others are within largestLinkBracketArea.
BoundedLinks hidingLongestPairs(QByteArray text, std::vector<LinkOpener> openers, qsizetype area = 0)
{
    std::sort(openers.begin(), openers.end(),
        [](const LinkOpener &one, const LinkOpener &other) { return one.span < other.span; });
    BoundedLinks bounded;
    for (const LinkOpener &opener : openers) {
        area += opener.span;
        if (area > largestLinkBracketArea) {
            text[opener.at] = hiddenLinkOpener;
            bounded.hidden.push_back(opener.at);
        }
    }
    std::sort(bounded.hidden.begin(), bounded.hidden.end());
    bounded.text = std::move(text);
    return bounded;
}

// Whether the line [start, end) is a link reference definition that md4c reads as one
// wherever a definition may stand: after the markers of its containers, "[label]:", a
// destination without spaces or parentheses (or one in angle brackets) and at most a title in
// quotes, all on this line. Others, which md4c may read as text, are never counted as one.
bool isPlainDefinitionLine(const QByteArray &text, qsizetype start, qsizetype end)
{
    const auto isBlank = [&text](qsizetype at) { return text[at] == ' ' || text[at] == '\t'; };
    qsizetype at = start;
    for (qsizetype marker = 1; at < end && marker > 0; at += marker) {
        // Markers are ASCII: their bytes are their characters.
        marker = isBlank(at) ? 1 : containerMarkerLength(QString::fromLatin1(text.mid(at, 12)));
    }
    if (at >= end || text[at] != '[') {
        return false;
    }
    bool labelHasText = false;
    for (++at; at < end && text[at] != ']'; ++at) {
        if (text[at] == '[' || text[at] == '\\' || at - start > 999) {
            return false;
        }
        labelHasText = labelHasText || !isBlank(at);
    }
    if (!labelHasText || at + 1 >= end || text[at + 1] != ':') {
        return false;
    }
    at += 2;
    while (at < end && isBlank(at)) {
        ++at;
    }
    const qsizetype destination = at;
    if (at < end && text[at] == '<') {
        for (++at; at < end && text[at] != '>'; ++at) {
            if (text[at] == '<' || text[at] == '\\') {
                return false;
            }
        }
        if (at >= end) {
            return false;
        }
        ++at;
    } else {
        for (; at < end && !isBlank(at) && text[at] != '\n'; ++at) {
            const auto character = static_cast<unsigned char>(text[at]);
            if (character < 0x20 || character == 0x7F || character == '(' || character == ')' || character == '\\'
                || character == '<') {
                return false;
            }
        }
        if (at == destination) {
            return false;
        }
    }
    const qsizetype afterDestination = at;
    while (at < end && isBlank(at)) {
        ++at;
    }
    if (at < end && at > afterDestination && (text[at] == '"' || text[at] == '\'')) {
        const char quote = text[at];
        for (++at; at < end && text[at] != quote; ++at) {
            if (text[at] == '\\' || text[at] == '\n') {
                return false;
            }
        }
        if (at >= end) {
            return false;
        }
        ++at;
        while (at < end && isBlank(at)) {
            ++at;
        }
    }
    return at >= end || text[at] == '\n';
}

// The stretches of the notes in each of which md4c reads links in one block at most (the
// runs of lines between blank lines, or the blocks one of its readings reports), and for
// each the line md4c may count a pair's line from: md4c counts the lines of a block from its
// first for each pair, and takes the link reference definitions that start a block out of it.
class Blocks
{
public:
    // `starts` ascending, the first 0.
    Blocks(const QByteArray &text, std::vector<qsizetype> starts)
        : m_starts(std::move(starts))
    {
        m_lineStarts.push_back(0);
        for (qsizetype at = text.indexOf('\n'); at >= 0; at = text.indexOf('\n', at + 1)) {
            m_lineStarts.push_back(at + 1);
        }
        m_firstLines.reserve(m_starts.size());
        for (std::size_t block = 0; block < m_starts.size(); ++block) {
            const qsizetype end = block + 1 < m_starts.size() ? m_starts[block + 1] : text.size();
            // The blank lines and the definitions that start its block are no lines of its text:
            // those after the line it starts in (which is the block's own when it starts at its
            // start), up to the first that is neither.
            qsizetype line = lineOf(m_starts[block]);
            if (m_lineStarts[std::size_t(line)] == m_starts[block]) {
                --line;
            }
            while (line + 1 < qsizetype(m_lineStarts.size()) && m_lineStarts[std::size_t(line + 1)] < end) {
                const qsizetype lineStart = m_lineStarts[std::size_t(line + 1)];
                const qsizetype lineEnd
                    = line + 2 < qsizetype(m_lineStarts.size()) ? m_lineStarts[std::size_t(line + 2)] : text.size();
                const bool blank = std::all_of(text.begin() + lineStart, text.begin() + lineEnd,
                    [](char c) { return c == ' ' || c == '\t' || c == '\n'; });
                if (!blank && !isPlainDefinitionLine(text, lineStart, lineEnd)) {
                    break;
                }
                ++line;
            }
            m_firstLines.push_back(line);
        }
    }

    // The runs of lines between blank lines: no block of text that md4c reads links in goes
    // on past one.
    static Blocks ofRuns(const QByteArray &text)
    {
        std::vector<qsizetype> starts;
        for (const auto &run : lineRuns(text)) {
            starts.push_back(run.first);
        }
        if (starts.empty()) {
            starts.push_back(0);
        }
        return Blocks(text, std::move(starts));
    }

    // The index of the stretch that holds `at`.
    std::size_t of(qsizetype at) const
    {
        return std::size_t(std::upper_bound(m_starts.begin(), m_starts.end(), at) - m_starts.begin()) - 1;
    }

    std::size_t size() const { return m_starts.size(); }

    // What md4c's reading of the pair that ends at `closer` costs beyond its text: the lines
    // from the start of its block.
    qsizetype lineCost(qsizetype closer) const
    {
        return std::max<qsizetype>(0, lineOf(closer) - m_firstLines[of(closer)]) / linkBracketLineCost;
    }

private:
    qsizetype lineOf(qsizetype at) const
    {
        return qsizetype(std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), at) - m_lineStarts.begin()) - 1;
    }

    std::vector<qsizetype> m_starts;
    std::vector<qsizetype> m_firstLines;
    std::vector<qsizetype> m_lineStarts;
};

// The pairs md4c may make of the openers and closers (ascending offsets), as a stack does in
// each run of lines, with what reading each costs md4c at most; an opener left open goes on
// to the last of the run's `lastClosers` (the ']' md4c may yet pair it with), or costs
// nothing without one.
std::vector<LinkOpener> pairsOf(const std::vector<qsizetype> &openers, const std::vector<qsizetype> &closers,
    const std::vector<qsizetype> &lastClosers, const Blocks &runs)
{
    std::vector<LinkOpener> pairs;
    std::vector<qsizetype> open;
    std::size_t run = 0;
    const auto pair = [&](qsizetype opener, qsizetype closer) {
        pairs.push_back({closer > opener ? closer - opener + runs.lineCost(closer) : 0, opener});
    };
    const auto closeRun = [&] {
        for (const qsizetype opener : open) {
            pair(opener, lastClosers[run]);
        }
        open.clear();
    };
    std::size_t nextOpener = 0;
    std::size_t nextCloser = 0;
    while (nextOpener < openers.size() || nextCloser < closers.size()) {
        const bool opens = nextCloser >= closers.size()
            || (nextOpener < openers.size() && openers[nextOpener] < closers[nextCloser]);
        const qsizetype at = opens ? openers[nextOpener] : closers[nextCloser];
        if (const std::size_t atRun = runs.of(at); atRun != run) {
            closeRun();
            run = atRun;
        }
        if (opens) {
            open.push_back(at);
            ++nextOpener;
        } else {
            if (!open.empty()) {
                pair(open.back(), at);
                open.pop_back();
            }
            ++nextCloser;
        }
    }
    closeRun();
    return pairs;
}

// The last offset of each run among `offsets` (ascending), -1 for a run without one.
std::vector<qsizetype> lastInEachRun(const std::vector<qsizetype> &offsets, const Blocks &runs)
{
    std::vector<qsizetype> last(runs.size(), -1);
    for (const qsizetype at : offsets) {
        last[runs.of(at)] = at;
    }
    return last;
}

// The ']' that are not escaped.
std::vector<qsizetype> closingBrackets(const QByteArray &text)
{
    std::vector<qsizetype> closers;
    for (qsizetype at = text.indexOf(']'); at >= 0; at = text.indexOf(']', at + 1)) {
        if (!isEscaped(text, at)) {
            closers.push_back(at);
        }
    }
    return closers;
}

// The pairs that the brackets kept in the first reading may make, with what each may cost md4c
// at most: a task's box and a label in which no code span or raw HTML can start pair with their
// own ']', others with the last ']' of their block.
std::vector<LinkOpener> keptPairs(
    const std::vector<Bracket> &brackets, const Blocks &blocks, const std::vector<qsizetype> &lastClosers)
{
    std::vector<LinkOpener> pairs;
    for (const Bracket &bracket : brackets) {
        const auto cost = [&blocks, &bracket](qsizetype closer) {
            return closer > bracket.at ? closer - bracket.at + blocks.lineCost(closer) : 0;
        };
        switch (bracket.kind) {
        case Bracket::Kind::opener:
            break;
        case Bracket::Kind::task:
            pairs.push_back({cost(bracket.at + 2), bracket.at});
            break;
        case Bracket::Kind::label:
            if (bracket.plainLabel) {
                pairs.push_back({cost(bracket.labelEnd), bracket.at});
                break;
            }
            [[fallthrough]];
        case Bracket::Kind::markup:
            pairs.push_back({cost(lastClosers[blocks.of(bracket.at)]), bracket.at});
            break;
        }
    }
    return pairs;
}

qsizetype areaOf(const std::vector<LinkOpener> &pairs)
{
    qsizetype area = 0;
    for (const LinkOpener &pair : pairs) {
        area += pair.span;
    }
    return area;
}

// The notes with the openers that would cost md4c most hidden (see largestLinkBracketArea).
// Which brackets md4c pairs depends on where its code spans, raw HTML and autolinks are, and
// so on where its blocks are, which takes md4c itself to tell: it reads the notes once with
// every opener hidden but those that may mean more (the boxes of tasks, the labels of link
// reference definitions, "<![CDATA["), which cannot change its blocks, code spans, raw HTML
// or autolinks; what it reports as code, HTML or text then tells which brackets it pairs, and
// the blocks it reports where each pair's lines are counted from. Those it might read as more
// than an opener are kept, their pairs bounded beforehand to keep that first reading short:
// counted by the runs of lines between blank lines or, when that bound is passed, by the
// blocks md4c reads with every bracket hidden (a long list is a block for each item); only
// those that would still pass it are hidden, never ordinary tasks or definitions.
BoundedLinks withBoundedLinkBrackets(const QByteArray &markdown)
{
    const std::vector<Bracket> brackets = bracketsOf(markdown);
    const std::vector<qsizetype> allClosers = closingBrackets(markdown);
    QByteArray firstReading = markdown;
    for (const Bracket &bracket : brackets) {
        if (bracket.kind == Bracket::Kind::opener) {
            firstReading[bracket.at] = hiddenLinkOpener;
        }
    }
    std::vector<qsizetype> keptHidden;
    const Blocks runs = Blocks::ofRuns(markdown);
    if (areaOf(keptPairs(brackets, runs, lastInEachRun(allClosers, runs))) > largestLinkBracketArea) {
        QByteArray everyBracketHidden = firstReading;
        for (const Bracket &bracket : brackets) {
            everyBracketHidden[bracket.at] = hiddenLinkOpener;
        }
        const Blocks blocks(markdown, ByteReporter(everyBracketHidden).read(everyBracketHidden).blockStarts);
        BoundedLinks kept
            = hidingLongestPairs(firstReading, keptPairs(brackets, blocks, lastInEachRun(allClosers, blocks)));
        firstReading = std::move(kept.text);
        keptHidden = std::move(kept.hidden);
    }
    const ReadBytes read = ByteReporter(firstReading).read(firstReading);
    const Blocks blocks(markdown, read.blockStarts);
    const auto kindAt = [&read](qsizetype at) { return read.kinds[std::size_t(at)]; };
    // The openers: every bracket hidden in the first reading unless it was code or HTML; of the
    // others, those reported as text, and those that started a link or image (the last before
    // its first text, or all of them after the text before it when it has none).
    std::vector<char> opens(brackets.size(), 0);
    for (std::size_t index = 0; index < brackets.size(); ++index) {
        const Bracket &bracket = brackets[index];
        const char kind = kindAt(bracket.at);
        opens[index] = bracket.kind == Bracket::Kind::opener ? kind != ReadBytes::code
                                                             : kind == ReadBytes::text || kind == ReadBytes::linkText;
    }
    const auto bracketAt = [&brackets](qsizetype at) {
        return std::lower_bound(brackets.begin(), brackets.end(), at, [](const Bracket &bracket, qsizetype offset) {
            return bracket.at < offset;
        }) - brackets.begin();
    };
    for (std::size_t link = 0; link < read.linkStarts.size();) {
        // Links and images nested in each other whose text starts at the same place.
        const auto [start, before] = read.linkStarts[link];
        qsizetype nested = 0;
        for (; link < read.linkStarts.size() && read.linkStarts[link].first == start; ++link) {
            ++nested;
        }
        const qsizetype first = bracketAt(before);
        const qsizetype last = bracketAt(start) - 1;
        const bool inside = kindAt(start) == ReadBytes::linkText;
        for (qsizetype index = inside ? std::max(first, last - nested + 1) : first; index <= last; ++index) {
            opens[std::size_t(index)] = 1;
        }
    }
    std::vector<qsizetype> openers;
    for (std::size_t index = 0; index < brackets.size(); ++index) {
        if (opens[index] && !std::binary_search(keptHidden.begin(), keptHidden.end(), brackets[index].at)) {
            openers.push_back(brackets[index].at);
        }
    }
    std::vector<qsizetype> closers;
    std::vector<qsizetype> possibleClosers;
    for (const qsizetype at : allClosers) {
        if (kindAt(at) == ReadBytes::text) {
            closers.push_back(at);
        }
        if (kindAt(at) != ReadBytes::code) {
            possibleClosers.push_back(at);
        }
    }
    BoundedLinks bounded
        = hidingLongestPairs(markdown, pairsOf(openers, closers, lastInEachRun(possibleClosers, blocks), blocks));
    for (const qsizetype at : keptHidden) {
        bounded.text[at] = hiddenLinkOpener;
    }
    bounded.hidden.insert(bounded.hidden.end(), keptHidden.begin(), keptHidden.end());
    std::sort(bounded.hidden.begin(), bounded.hidden.end());
    return bounded;
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

    void read(const BoundedLinks &markdown)
    {
        m_base = markdown.text.constData();
        m_size = markdown.text.size();
        m_hidden = &markdown.hidden;
        MD_PARSER parser{};
        parser.flags = markdownFlags;
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
            auto *self = static_cast<MarkdownReader *>(reader);
            return self->text(type, self->shown(text, qsizetype(size)));
        };
        md_parse(markdown.text.constData(), MD_SIZE(markdown.text.size()), &parser, this);
    }

private:
    // The text, with the hidden link openers in it shown as the '[' they are.
    QString shown(const MD_CHAR *text, qsizetype size) const
    {
        if (text < m_base || text >= m_base + m_size) {
            return QString::fromUtf8(text, size);
        }
        const qsizetype offset = text - m_base;
        auto hidden = std::lower_bound(m_hidden->begin(), m_hidden->end(), offset);
        if (hidden == m_hidden->end() || *hidden >= offset + size) {
            return QString::fromUtf8(text, size);
        }
        QByteArray bytes(text, size);
        for (; hidden != m_hidden->end() && *hidden < offset + size; ++hidden) {
            bytes[*hidden - offset] = '[';
        }
        return QString::fromUtf8(bytes);
    }

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
    // The notes md4c reads, and where the link openers hidden from it are.
    const char *m_base = nullptr;
    qsizetype m_size = 0;
    const std::vector<qsizetype> *m_hidden = nullptr;
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
        // Whole lines, when there are any and the last one is no longer than a line of a
        // paragraph may weigh; a longer one is cut at its last space, as the builder cuts a
        // line that would weigh more.
        const qsizetype lineEnd = text.lastIndexOf(u'\n');
        if (lineEnd > 0 && text.size() - lineEnd <= maximumReleaseNotesBlockWeight) {
            text.truncate(lineEnd);
        } else if (const qsizetype space = text.lastIndexOf(u' '); space > lineEnd) {
            text.truncate(space);
        }
    }
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    ReleaseNotesContentBuilder builder;
    MarkdownReader(builder).read(withBoundedLinkBrackets(withShallowContainers(text).toUtf8()));
    if (cut) {
        builder.cut();
    }
    return builder.take();
}

QList<qsizetype> hiddenMarkdownLinkOpeners(QStringView markdown)
{
    const QByteArray text = markdown.toUtf8();
    const BoundedLinks bounded = withBoundedLinkBrackets(text);
    // From offsets in UTF-8 to offsets in UTF-16: a lead byte of four starts two code units,
    // every other byte but continuation bytes one.
    QList<qsizetype> hidden;
    qsizetype units = 0;
    qsizetype byte = 0;
    for (const qsizetype offset : bounded.hidden) {
        for (; byte < offset; ++byte) {
            const auto lead = static_cast<unsigned char>(text[byte]);
            units += (lead & 0xC0) == 0x80 ? 0 : lead >= 0xF0 ? 2 : 1;
        }
        hidden.append(units);
    }
    return hidden;
}

} // namespace veyra
