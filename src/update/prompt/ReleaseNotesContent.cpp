#include "update/prompt/ReleaseNotesContent.h"

#include "foundation/text/Graphemes.h"

#include <QFontDatabase>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <bitset>
#include <initializer_list>
#include <utility>

namespace veyra {

namespace {

const QChar ellipsis(0x2026);

// How little of its weight a line of a paragraph has left when it goes on in a line of its own
// at the next break opportunity.
constexpr qsizetype nearlyFullBlock = 1024;

// No character below U+0300 continues the grapheme cluster before it (a carriage return
// does, before a line feed, but notes hold no carriage returns by then).
bool startsNoCluster(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar character) { return character.unicode() < 0x0300; });
}

QString lastCluster(const QString &text)
{
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, text);
    clusters.toEnd();
    return text.mid(std::max<qsizetype>(0, clusters.toPreviousBoundary()));
}

bool sameEmphasis(const ReleaseNotesSpan &span, ReleaseNotesContentBuilder::Emphasis emphasis)
{
    return span.bold == emphasis.bold && span.italic == emphasis.italic && span.code == emphasis.code
        && span.strikeout == emphasis.strikeout;
}

struct Fit
{
    // How many code units fit.
    qsizetype length = 0;
    // What they weigh.
    qsizetype weight = 0;
    // How long the run without a break opportunity is at their end.
    qint64 run = 0;
    // The scripts that no installed font writes first met in them.
    QList<QChar::Script> unwrittenScripts;
};

using WritingSystems = std::bitset<QFontDatabase::WritingSystemsCount>;

// The writing systems that show a script (none for a script the font database knows no
// writing system of); nothing for what all scripts share (digits, punctuation, symbols,
// combining marks), which goes with its neighbours.
std::optional<WritingSystems> writingSystemsOf(QChar::Script script)
{
    using W = QFontDatabase::WritingSystem;
    const auto of = [](std::initializer_list<W> systems) {
        WritingSystems set;
        for (const W system : systems) {
            set.set(std::size_t(system));
        }
        return set;
    };
    switch (script) {
    case QChar::Script_Unknown:
    case QChar::Script_Common:
    case QChar::Script_Inherited:
        return std::nullopt;
    case QChar::Script_Latin:
        return of({W::Latin, W::Vietnamese});
    case QChar::Script_Greek:
        return of({W::Greek});
    case QChar::Script_Cyrillic:
        return of({W::Cyrillic});
    case QChar::Script_Armenian:
        return of({W::Armenian});
    case QChar::Script_Hebrew:
        return of({W::Hebrew});
    case QChar::Script_Arabic:
        return of({W::Arabic});
    case QChar::Script_Syriac:
        return of({W::Syriac});
    case QChar::Script_Thaana:
        return of({W::Thaana});
    case QChar::Script_Devanagari:
        return of({W::Devanagari});
    case QChar::Script_Bengali:
        return of({W::Bengali});
    case QChar::Script_Gurmukhi:
        return of({W::Gurmukhi});
    case QChar::Script_Gujarati:
        return of({W::Gujarati});
    case QChar::Script_Oriya:
        return of({W::Oriya});
    case QChar::Script_Tamil:
        return of({W::Tamil});
    case QChar::Script_Telugu:
        return of({W::Telugu});
    case QChar::Script_Kannada:
        return of({W::Kannada});
    case QChar::Script_Malayalam:
        return of({W::Malayalam});
    case QChar::Script_Sinhala:
        return of({W::Sinhala});
    case QChar::Script_Thai:
        return of({W::Thai});
    case QChar::Script_Lao:
        return of({W::Lao});
    case QChar::Script_Tibetan:
        return of({W::Tibetan});
    case QChar::Script_Myanmar:
        return of({W::Myanmar});
    case QChar::Script_Georgian:
        return of({W::Georgian});
    case QChar::Script_Khmer:
        return of({W::Khmer});
    case QChar::Script_Han:
        return of({W::SimplifiedChinese, W::TraditionalChinese, W::Japanese, W::Korean});
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
        return of({W::Japanese});
    case QChar::Script_Hangul:
        return of({W::Korean});
    case QChar::Script_Ogham:
        return of({W::Ogham});
    case QChar::Script_Runic:
        return of({W::Runic});
    case QChar::Script_Nko:
        return of({W::Nko});
    default:
        // A script no writing system of the font database stands for.
        return of({});
    }
}

// Emoji and what joins them into one (a joiner, a variation selector, the tags of a flag),
// and the symbols shown as emoji.
bool isEmojiPart(char32_t character)
{
    return character >= 0x1F000 || (character >= 0x2300 && character <= 0x23FF)
        || (character >= 0x2600 && character <= 0x27BF) || (character >= 0x2B00 && character <= 0x2BFF)
        || character == 0x200D || character == 0xFE0F;
}

// What a character weighs in running text (see releaseNotesCjkCharacterWeight).
qint64 characterWeight(char32_t character)
{
    if (character < 0x0300) {
        return 1;
    }
    if (isEmojiPart(character)) {
        return releaseNotesEmojiWeight;
    }
    // The punctuation and the full-width forms of Chinese, Japanese and Korean text.
    if ((character >= 0x3000 && character <= 0x303F) || (character >= 0xFF00 && character <= 0xFFEF)) {
        return releaseNotesCjkCharacterWeight;
    }
    switch (QChar::script(character)) {
    case QChar::Script_Common:
    case QChar::Script_Inherited:
    case QChar::Script_Latin:
    case QChar::Script_Greek:
    case QChar::Script_Cyrillic:
        return 1;
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Hangul:
    case QChar::Script_Bopomofo:
        return releaseNotesCjkCharacterWeight;
    default:
        return releaseNotesScriptCharacterWeight;
    }
}

// How much of `added`, which follows `before` and a run without a break opportunity `run`
// long, fits into `budget`. A character weighs characterWeight() (one beyond the basic
// multilingual plane at its first code unit), the first of a script that no installed font
// writes and that is not among `knownUnwritten` releaseNotesUnwrittenScriptWeight more; in a
// run without a break opportunity, r code units long so far, (2(r - l) + 1) /
// unbreakableRunDivisor more once r reaches l = unbreakableRunLength, so that a run of
// n > l units weighs (n - l)^2 / unbreakableRunDivisor more than its characters.
Fit fitting(const QString &before, const QString &added, qint64 run, qsizetype budget,
    const QList<QChar::Script> &knownUnwritten)
{
    const qint64 divisor = unbreakableRunDivisor;
    const qint64 scaledBudget = qint64(budget) * divisor;
    qint64 spent = 0;
    Fit fit{0, 0, run, {}};
    const QString context = before + added;
    QTextBoundaryFinder lines(QTextBoundaryFinder::Line, context);
    qsizetype position = before.size();
    lines.setPosition(position);
    // A break opportunity right before the text ends the run.
    if (position > 0 && lines.isAtBoundary()) {
        fit.run = 0;
    }
    for (qsizetype next = lines.toNextBoundary(); next != -1; next = lines.toNextBoundary()) {
        for (; position < next; ++position) {
            const QChar unit = context[position];
            char32_t character = 0;
            bool starts = true;
            if (unit.isHighSurrogate() && position + 1 < context.size() && context[position + 1].isLowSurrogate()) {
                character = QChar::surrogateToUcs4(unit, context[position + 1]);
            } else if (!unit.isLowSurrogate() || position == 0 || !context[position - 1].isHighSurrogate()) {
                character = unit.unicode();
            } else {
                starts = false;
            }
            qint64 weight = starts ? characterWeight(character) : 0;
            std::optional<QChar::Script> unwritten;
            if (starts && character >= 0x0300) {
                const QChar::Script script = QChar::script(character);
                if (isReleaseNotesScriptWritten(script) == false && !knownUnwritten.contains(script)
                    && !fit.unwrittenScripts.contains(script)) {
                    unwritten = script;
                    weight += releaseNotesUnwrittenScriptWeight;
                }
            }
            const qint64 beyond = fit.run - unbreakableRunLength;
            const qint64 cost = weight * divisor + (beyond >= 0 ? 2 * beyond + 1 : 0);
            if (spent + cost > scaledBudget) {
                fit.weight = qsizetype((spent + divisor - 1) / divisor);
                return fit;
            }
            spent += cost;
            if (unwritten) {
                fit.unwrittenScripts.append(*unwritten);
            }
            ++fit.run;
            ++fit.length;
        }
        if (next < context.size()) {
            fit.run = 0;
        }
    }
    fit.weight = qsizetype((spent + divisor - 1) / divisor);
    return fit;
}

// Where, in `added`, which follows `before` in a line, the last break opportunity within its
// first `length` code units is (0 for the one right before it), or -1 when there is none.
qsizetype lastBreakOpportunity(const QString &before, const QString &added, qsizetype length)
{
    QTextBoundaryFinder lines(QTextBoundaryFinder::Line, before + added);
    lines.setPosition(before.size() + length);
    const qsizetype at = lines.isAtBoundary() ? lines.position() : lines.toPreviousBoundary();
    if (at > before.size() || (at == before.size() && !before.isEmpty() && before.back() != QChar::LineSeparator)) {
        return at - before.size();
    }
    return -1;
}

// Whether a line may break between the text and what it follows in its line.
bool breaksBefore(const QString &before, QStringView text)
{
    if (before.isEmpty() || before.back() == QChar::LineSeparator) {
        return false;
    }
    QTextBoundaryFinder lines(QTextBoundaryFinder::Line, before + text.left(maximumShownClusterLength).toString());
    lines.setPosition(before.size());
    return lines.isAtBoundary();
}

// Line and paragraph separators, which would start blocks of their own in a document, as
// spaces; the characters a document marks frames with as replacement characters.
QString withoutSeparators(QStringView text)
{
    QString plain = text.toString();
    for (QChar &character : plain) {
        switch (character.unicode()) {
        case u'\n':
        case u'\r':
        case QChar::ParagraphSeparator:
            character = QLatin1Char(' ');
            break;
        case 0xFDD0:
        case 0xFDD1:
            character = QChar(QChar::ReplacementCharacter);
            break;
        default:
            break;
        }
    }
    return plain;
}

bool hasSeparators(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar character) {
        const char16_t code = character.unicode();
        return code == u'\n' || code == u'\r' || code == QChar::ParagraphSeparator || code == 0xFDD0 || code == 0xFDD1;
    });
}

// A line break at the end of a paragraph or cell shows nothing but an empty line.
void withoutTrailingLineBreaks(QList<ReleaseNotesSpan> &spans)
{
    while (!spans.isEmpty()) {
        QString &last = spans.last().text;
        while (!last.isEmpty() && last.back() == QChar::LineSeparator) {
            last.chop(1);
        }
        if (!last.isEmpty()) {
            return;
        }
        spans.removeLast();
    }
}

} // namespace

std::optional<bool> isReleaseNotesScriptWritten(QChar::Script script)
{
    static const WritingSystems installed = [] {
        WritingSystems systems;
        for (const QFontDatabase::WritingSystem system : QFontDatabase::writingSystems()) {
            systems.set(std::size_t(system));
        }
        return systems;
    }();
    const std::optional<WritingSystems> systems = writingSystemsOf(script);
    if (!systems) {
        return std::nullopt;
    }
    return (*systems & installed).any();
}

QStringView leftOfCharacters(QStringView text, qsizetype length)
{
    if (length <= 0) {
        return {};
    }
    if (length >= text.size()) {
        return text;
    }
    if (text[length - 1].isHighSurrogate() && text[length].isLowSurrogate()) {
        --length;
    }
    return text.left(length);
}

QString releaseNotesListMarker(int number, QChar delimiter)
{
    return QString::number(number) + delimiter;
}

QString releaseNotesItemMarker(const ReleaseNotesParagraphFormat &format)
{
    if (format.kind != ReleaseNotesParagraphFormat::Kind::listItem) {
        return {};
    }
    QString marker;
    if (format.ordered) {
        marker = releaseNotesListMarker(format.number, format.delimiter) + QLatin1Char(' ');
    }
    if (format.task != ReleaseNotesParagraphFormat::Task::none) {
        // A ballot box, with a check once done.
        marker += QChar(format.task == ReleaseNotesParagraphFormat::Task::done ? 0x2611 : 0x2610);
        marker += QLatin1Char(' ');
    }
    return marker;
}

QString withShortClusters(const QString &text)
{
    if (startsNoCluster(text)) {
        return text;
    }
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, text);
    QString shortened;
    qsizetype start = 0;
    qsizetype copiedUpTo = 0;
    for (qsizetype end = clusters.toNextBoundary(); end != -1; end = clusters.toNextBoundary()) {
        if (end - start > maximumShownClusterLength) {
            qsizetype kept = maximumShownClusterLength;
            if (text[start + kept].isLowSurrogate()) {
                --kept;
            }
            shortened += QStringView(text).mid(copiedUpTo, start + kept - copiedUpTo);
            copiedUpTo = end;
        }
        start = end;
    }
    if (copiedUpTo == 0) {
        return text;
    }
    shortened += QStringView(text).mid(copiedUpTo);
    return shortened;
}

bool ReleaseNotesContentBuilder::spend(qsizetype weight)
{
    if (m_full || m_skipping) {
        return false;
    }
    if (weight > m_left) {
        cut();
        return false;
    }
    if (weight > m_blockLeft) {
        cutBlock();
        return false;
    }
    m_left -= weight;
    m_blockLeft -= weight;
    return true;
}

void ReleaseNotesContentBuilder::startBlock()
{
    m_blockLeft = maximumReleaseNotesBlockWeight;
    m_skipping = false;
}

QList<ReleaseNotesSpan> *ReleaseNotesContentBuilder::openSpans(const ReleaseNotesParagraphFormat &format)
{
    if (m_table) {
        if (!m_cellOpen) {
            beginCell();
        }
        if (m_full || m_skipping || !m_cellOpen) {
            return nullptr;
        }
        QList<ReleaseNotesSpan> &cell = m_table->rows.last().last();
        if (m_cellBreakPending) {
            m_cellBreakPending = false;
            if (!cell.isEmpty()) {
                if (!spend(releaseNotesCellLineWeight)) {
                    return nullptr;
                }
                append(cell, QString(QChar::LineSeparator), {});
            }
        }
        return &cell;
    }
    if (m_skipping) {
        return nullptr;
    }
    if (!m_paragraph) {
        startBlock();
        if (!spend(releaseNotesParagraphWeight + releaseNotesItemMarker(format).size())) {
            return nullptr;
        }
        m_paragraph = ReleaseNotesParagraph{format, {}};
        m_lastCluster.clear();
        m_unbreakableRun = 0;
    }
    return &m_paragraph->spans;
}

void ReleaseNotesContentBuilder::append(QList<ReleaseNotesSpan> &spans, const QString &text, Emphasis emphasis)
{
    if (!spans.isEmpty() && sameEmphasis(spans.last(), emphasis)) {
        spans.last().text += text;
    } else {
        spans.append(ReleaseNotesSpan{text, emphasis.bold, emphasis.italic, emphasis.code, emphasis.strikeout});
    }
}

void ReleaseNotesContentBuilder::addText(QStringView text, Emphasis emphasis, const ReleaseNotesParagraphFormat &format)
{
    if (m_full || text.isEmpty()) {
        return;
    }
    QString plain;
    if (hasSeparators(text)) {
        plain = withoutSeparators(text);
        text = plain;
    }
    QList<ReleaseNotesSpan> *spans = openSpans(format);
    if (!spans) {
        return;
    }
    if (!m_table && m_paragraph && m_blockLeft < nearlyFullBlock && breaksBefore(m_lastCluster, text)) {
        // A line of a paragraph that nearly holds what a block may goes on in a line of its own.
        const ReleaseNotesParagraphFormat paragraphFormat = m_paragraph->format;
        addLineBreak(paragraphFormat);
        spans = openSpans(paragraphFormat);
        if (m_full || !spans) {
            return;
        }
    }
    QString before = m_lastCluster;
    QString added;
    QString last;
    if (startsNoCluster(text)) {
        added = text.toString();
        last = text.last();
    } else {
        // The text may continue the cluster that ends the spans so far.
        const QString shortened = withShortClusters(m_lastCluster + text.toString());
        added = shortened.mid(m_lastCluster.size());
        last = lastCluster(shortened);
    }
    if (added.isEmpty()) {
        m_lastCluster = last;
        return;
    }
    // A line of a paragraph that would hold more than a block may goes on in lines of their
    // own, each from the last break opportunity that fits, as if it broke there. Each is
    // measured on no more of the text than can fit in it (a character weighs at least 1, in
    // at most two code units), so a long paragraph costs time in proportion to its length.
    QStringView rest(added);
    while (true) {
        m_lastCluster = last;
        const bool newSpan = !spans->isEmpty() && !sameEmphasis(spans->last(), emphasis);
        if (!spend(newSpan ? releaseNotesSpanWeight : 0)) {
            return;
        }
        const bool blockBound = m_blockLeft < m_left;
        const qsizetype budget = std::min(m_left, m_blockLeft);
        const QString piece = rest.left(std::min(rest.size(), 2 * budget + 2 * unbreakableRunLength)).toString();
        const Fit fit = fitting(before, piece, m_unbreakableRun, budget, m_unwrittenScripts);
        if (fit.length == rest.size()) {
            m_left -= fit.weight;
            m_blockLeft -= fit.weight;
            m_unwrittenScripts += fit.unwrittenScripts;
            m_unbreakableRun = fit.run;
            append(*spans, piece, emphasis);
            return;
        }
        const qsizetype breakAt = blockBound && m_paragraph ? lastBreakOpportunity(before, piece, fit.length) : -1;
        if (breakAt < 0) {
            m_left -= fit.weight;
            m_blockLeft -= fit.weight;
            m_unwrittenScripts += fit.unwrittenScripts;
            const QString kept = piece.left(wholeCharactersLength(piece, fit.length));
            if (!kept.isEmpty()) {
                append(*spans, kept, emphasis);
            }
            if (blockBound) {
                cutBlock();
            } else {
                m_left = 0;
                cut();
            }
            return;
        }
        const QString head = piece.left(breakAt);
        const Fit headFit = fitting(before, head, m_unbreakableRun, m_blockLeft, m_unwrittenScripts);
        m_left -= headFit.weight;
        m_blockLeft -= headFit.weight;
        m_unwrittenScripts += headFit.unwrittenScripts;
        if (!head.isEmpty()) {
            append(*spans, head, emphasis);
        }
        const ReleaseNotesParagraphFormat paragraphFormat = m_paragraph->format;
        addLineBreak(paragraphFormat);
        spans = openSpans(paragraphFormat);
        if (m_full || !spans) {
            return;
        }
        rest = rest.mid(breakAt);
        before = m_lastCluster;
    }
}

void ReleaseNotesContentBuilder::addLineBreak(const ReleaseNotesParagraphFormat &format)
{
    if (m_full) {
        return;
    }
    if (!m_table && m_paragraph) {
        // The next line is a block of its own.
        startBlock();
    }
    QList<ReleaseNotesSpan> *spans = openSpans(format);
    if (!spans || !spend(m_table ? releaseNotesCellLineWeight : releaseNotesLineBreakWeight)) {
        return;
    }
    if (spans->isEmpty()) {
        spans->append(ReleaseNotesSpan{QString(QChar::LineSeparator)});
    } else {
        spans->last().text += QChar::LineSeparator;
    }
    m_lastCluster = QString(QChar::LineSeparator);
    m_unbreakableRun = 0;
}

void ReleaseNotesContentBuilder::endParagraph()
{
    if (m_table) {
        m_cellBreakPending = m_cellOpen;
        return;
    }
    m_skipping = false;
    if (!m_paragraph) {
        return;
    }
    QList<ReleaseNotesSpan> &spans = m_paragraph->spans;
    withoutTrailingLineBreaks(spans);
    if (!spans.isEmpty()) {
        m_content.blocks.append(std::move(*m_paragraph));
    }
    m_paragraph.reset();
}

void ReleaseNotesContentBuilder::beginTable()
{
    if (m_table) {
        return;
    }
    endParagraph();
    startBlock();
    m_table = ReleaseNotesTable{};
    m_cellOpen = false;
}

void ReleaseNotesContentBuilder::beginRow()
{
    if (!m_table || m_full || m_skipping) {
        return;
    }
    finishCell();
    // Every row is laid out with a cell in each column.
    if (spend(m_table->columns * releaseNotesCellWeight)) {
        m_table->rows.append(QList<QList<ReleaseNotesSpan>>());
    }
}

void ReleaseNotesContentBuilder::beginCell()
{
    if (!m_table || m_full || m_skipping) {
        return;
    }
    if (m_table->rows.isEmpty()) {
        beginRow();
        if (m_full || m_skipping || m_table->rows.isEmpty()) {
            return;
        }
    }
    finishCell();
    auto &row = m_table->rows.last();
    if (row.size() < m_table->columns) {
        row.append(QList<ReleaseNotesSpan>());
    } else if (row.size() < maximumReleaseNotesTableColumns) {
        // A new column: a cell more in every row.
        if (!spend(m_table->rows.size() * releaseNotesCellWeight)) {
            return;
        }
        ++m_table->columns;
        row.append(QList<ReleaseNotesSpan>());
    } else {
        // Shown in the last cell, after a line break.
        m_cellBreakPending = true;
    }
    m_cellOpen = true;
    m_lastCluster.clear();
    m_unbreakableRun = 0;
}

void ReleaseNotesContentBuilder::finishCell()
{
    m_cellOpen = false;
    m_cellBreakPending = false;
}

void ReleaseNotesContentBuilder::endTable()
{
    if (!m_table) {
        return;
    }
    m_skipping = false;
    finishCell();
    ReleaseNotesTable table = std::move(*m_table);
    m_table.reset();
    table.rows.removeIf([](const auto &row) { return row.isEmpty(); });
    bool hasText = false;
    for (auto &row : table.rows) {
        for (auto &cell : row) {
            withoutTrailingLineBreaks(cell);
            hasText = hasText || !cell.isEmpty();
        }
        row.resize(table.columns);
    }
    if (hasText) {
        m_content.blocks.append(std::move(table));
    }
}

void ReleaseNotesContentBuilder::cutBlock()
{
    if (m_full || m_skipping) {
        return;
    }
    m_skipping = true;
    appendEllipsis();
}

void ReleaseNotesContentBuilder::cut()
{
    if (m_full) {
        return;
    }
    m_full = true;
    if (std::exchange(m_skipping, false)) {
        // The open line or table ends with its ellipsis already.
        return;
    }
    appendEllipsis();
}

void ReleaseNotesContentBuilder::appendEllipsis()
{
    QList<ReleaseNotesSpan> *spans = nullptr;
    if (m_table) {
        // Of a table nothing of which shows yet, a cell of its own.
        if (m_table->rows.isEmpty()) {
            m_table->rows.append(QList<QList<ReleaseNotesSpan>>());
        }
        if (m_table->rows.last().isEmpty()) {
            m_table->rows.last().append(QList<ReleaseNotesSpan>());
            m_table->columns = std::max(m_table->columns, 1);
        }
        spans = &m_table->rows.last().last();
    } else {
        if (!m_paragraph) {
            m_paragraph = ReleaseNotesParagraph{};
        }
        spans = &m_paragraph->spans;
    }
    append(*spans, QString(ellipsis), {});
}

ReleaseNotesContent ReleaseNotesContentBuilder::take()
{
    endTable();
    endParagraph();
    return std::move(m_content);
}

ReleaseNotesParagraphFormat listParagraphFormat(QList<ReleaseNotesOpenList> &lists, bool code)
{
    ReleaseNotesOpenList &list = lists.last();
    const int depth = int(std::min<qsizetype>(lists.size(), maximumReleaseNotesListDepth));
    if (list.itemHasParagraph) {
        ReleaseNotesParagraphFormat continuation{ReleaseNotesParagraphFormat::Kind::listContinuation, depth};
        continuation.code = code;
        return continuation;
    }
    ReleaseNotesParagraphFormat item{ReleaseNotesParagraphFormat::Kind::listItem, depth, list.ordered, !list.started,
        list.number, list.delimiter, list.task};
    item.code = code;
    list.started = true;
    list.itemHasParagraph = true;
    return item;
}

} // namespace veyra
