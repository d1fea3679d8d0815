#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>
#include <variant>

namespace veyra {

// Release notes come from the network, and what Qt's text layout costs depends on far more
// than their size: an image or a margin millions of pixels tall, a font size or line height
// of thousands of pixels, blocks nested a thousand deep or tables nested in tables each cost
// the layout far more than their text, some of them for ever. So notes are never laid out as
// they come: they are first reduced to what release notes use (ReleaseNotesContent), with
// no length of their own, and only that is laid out. Its cost then follows from its text,
// its paragraphs, its spans of emphasis and its table cells, all of them counted against
// one budget for all of the notes (maximumReleaseNotesWeight) and one for each line of a
// paragraph and each table (maximumReleaseNotesBlockWeight), the most that is laid out in
// one go: the notes are laid out a line or a table at a time, a few milliseconds' worth on
// each turn of the event loop (ReleaseNotesLayout).

// What the content of shown notes may weigh: a character weighs 1 (more in some scripts and
// for emoji, releaseNotesCjkCharacterWeight and those after it, and in a long run without a
// break opportunity, unbreakableRunDivisor), a paragraph
// releaseNotesParagraphWeight, a line break releaseNotesLineBreakWeight (each starts a block
// of the document, which costs making it and laying it out about what 32 characters do), a
// change of emphasis releaseNotesSpanWeight, a table cell releaseNotesCellWeight and a
// further line in a cell releaseNotesCellLineWeight (a cell beyond the last column is such a
// line). Each weighs about what laying it out costs compared with a character of running
// text. Notes beyond it are cut, with an ellipsis. A line of a paragraph beyond
// maximumReleaseNotesBlockWeight goes on in a line of its own from its last break
// opportunity; one without any, or a table, is cut there, and the notes go on after it.
inline constexpr qsizetype maximumReleaseNotesWeight = 256 * 1024;
inline constexpr qsizetype maximumReleaseNotesBlockWeight = 8 * 1024;
inline constexpr qsizetype releaseNotesParagraphWeight = 32;
inline constexpr qsizetype releaseNotesLineBreakWeight = 32;
inline constexpr qsizetype releaseNotesSpanWeight = 16;
inline constexpr qsizetype releaseNotesCellWeight = 48;
inline constexpr qsizetype releaseNotesCellLineWeight = 32;
// What a character weighs beyond Latin, Greek and Cyrillic ones, by what shaping and laying
// it out costs Qt compared with theirs: of Chinese, Japanese or Korean (each a break
// opportunity, from a large font of its own); of another script that is shaped (Arabic,
// Hebrew, Indic, Thai and the like); and an emoji or what joins emoji into one (each a
// color glyph of a font of its own, which a family of four is seven of).
inline constexpr qsizetype releaseNotesCjkCharacterWeight = 6;
inline constexpr qsizetype releaseNotesScriptCharacterWeight = 3;
inline constexpr qsizetype releaseNotesEmojiWeight = 12;
// What the first character of a script that no installed font writes weighs more: such
// text is shown plain, whatever its emphasis (makeReleaseNotesDocument()), so that the thread
// that lays it out asks the font database once for a font of that script
// (isReleaseNotesScriptWritten()), whose answer, the plain font, takes it about what laying
// out a few dozen characters does.
inline constexpr qsizetype releaseNotesUnwrittenScriptWeight = 64;
// Qt breaks a line in a run of characters without a break opportunity (a long word, a run
// of letters) in time that grows with the square of the run's length, so a run of
// n > unbreakableRunLength UTF-16 units weighs (n - unbreakableRunLength)^2 /
// unbreakableRunDivisor more than its characters do: a word of a hundred letters a character
// more, a run of thousands some thousands.
inline constexpr qsizetype unbreakableRunLength = 64;
inline constexpr qsizetype unbreakableRunDivisor = 1024;

// How much of plain-text and Markdown notes is read at most: this many characters, markup and
// text, of which md4c reads Markdown twice (its link brackets, readMarkdownReleaseNotes()),
// in time that grows a little faster than their length in some constructions (containers
// nested a hundred deep around thousands of lines); the rest is left out, as if cut, with an
// ellipsis. Ordinary notes hold far less.
inline constexpr qsizetype maximumReadReleaseNotesLength = 256 * 1024;
// How much of HTML notes is read at most: this many characters, markup and text; the rest is
// left out, as if cut, with an ellipsis. Reading takes time in proportion to what is read,
// whatever it is (what a browser does not show, markup, comments, scripts and style sheets,
// is passed over far faster than text is read), and what is shown of it is bounded by the
// weight of its content: pages often carry far more markup than text, a page's head with its
// style sheets and scripts before any of it.
inline constexpr qsizetype maximumScannedReleaseNotesLength = 2 * 1024 * 1024;

// The longest grapheme cluster shown, in UTF-16 code units: more than any script or emoji
// sequence needs; further combining marks, joiners and the like are left out (thousands of
// them take the text shaper seconds).
inline constexpr qsizetype maximumShownClusterLength = 32;

// Lists nested deeper are shown at this depth.
inline constexpr int maximumReleaseNotesListDepth = 4;

// The numbers of ordered list items shown: others are brought within these.
inline constexpr int largestReleaseNotesListNumber = 999'999'999;
inline constexpr int smallestReleaseNotesListNumber = -999'999'999;

// Cells of a table row beyond this many are shown in its last cell.
inline constexpr int maximumReleaseNotesTableColumns = 12;

// Whether some installed font writes the script, as far as the font database tells (a
// script it knows no writing system of counts as written by none); nothing for what all
// scripts share (digits, punctuation, symbols, combining marks).
std::optional<bool> isReleaseNotesScriptWritten(QChar::Script script);

// The text with every grapheme cluster cut to maximumShownClusterLength code units.
QString withShortClusters(const QString &text);

// The first `length` code units of the text, one fewer when they would end in the middle of
// a surrogate pair.
QStringView leftOfCharacters(QStringView text, qsizetype length);

// What a numbered list item shows before its text: its number and the delimiter its list
// writes after numbers ("9." or "9)").
QString releaseNotesListMarker(int number, QChar delimiter);

// A run of text with one emphasis. Line breaks in it are QChar::LineSeparator.
struct ReleaseNotesSpan
{
    QString text;
    bool bold = false;
    bool italic = false;
    bool code = false;
    bool strikeout = false;

    bool operator==(const ReleaseNotesSpan &) const = default;
};

struct ReleaseNotesParagraphFormat
{
    enum class Task {
        none,
        open,
        done,
    };

    enum class Kind {
        body,
        heading,
        // A paragraph that starts an item of a list, with its marker.
        listItem,
        // A further paragraph of a list item, indented as the item.
        listContinuation,
        code,
    };

    Kind kind = Kind::body;
    // Of a heading, 1 to 6; of a list item or its continuation, its depth, 1 to
    // maximumReleaseNotesListDepth.
    int level = 0;
    // Of a list item: numbered rather than bulleted.
    bool ordered = false;
    // Of a list item: the first of its list.
    bool startsList = false;
    // Of a numbered list item: its number, which its list gives it (a list may start at any
    // number, and an item may set its own).
    int number = 0;
    // Of a numbered list item: what its list writes after the number ('.' or ')').
    QChar delimiter = QLatin1Char('.');
    // Of a list item: whether it is a task, open or done (a box shows before its text).
    Task task = Task::none;
    // Of a list item or its continuation: a code block of the item, shown as code.
    bool code = false;

    bool operator==(const ReleaseNotesParagraphFormat &) const = default;
};

// What a list item's paragraph shows before its text, after the list's own bullet: the
// number of a numbered item and the box of a task, each followed by a space; nothing for
// other paragraphs.
QString releaseNotesItemMarker(const ReleaseNotesParagraphFormat &format);

// A list of the notes that a reader has open.
struct ReleaseNotesOpenList
{
    bool ordered = false;
    // The number of the next item of an ordered list.
    int next = 1;
    // What an ordered list writes after its numbers.
    QChar delimiter = QLatin1Char('.');
    bool started = false;
    bool itemOpen = false;
    bool itemHasParagraph = false;
    // The number of the open item of an ordered list.
    int number = 0;
    // Whether the open item is a task, and done.
    ReleaseNotesParagraphFormat::Task task = ReleaseNotesParagraphFormat::Task::none;
};

// The format of a paragraph that starts in the open item of the innermost of `lists` (one
// must be open): the first of the item carries its marker, whatever it is (code too), the
// others are indented as the item; `code` when the paragraph is code.
ReleaseNotesParagraphFormat listParagraphFormat(QList<ReleaseNotesOpenList> &lists, bool code);

struct ReleaseNotesParagraph
{
    ReleaseNotesParagraphFormat format;
    QList<ReleaseNotesSpan> spans;
};

// Rows of cells, each row with `columns` cells (those it did not have are empty).
struct ReleaseNotesTable
{
    int columns = 0;
    QList<QList<QList<ReleaseNotesSpan>>> rows;
};

struct ReleaseNotesContent
{
    QList<std::variant<ReleaseNotesParagraph, ReleaseNotesTable>> blocks;

    // Whether it holds no text at all.
    bool isEmpty() const { return blocks.isEmpty(); }
};

// Collects the content that a reader of notes finds, within maximumReleaseNotesWeight:
// once that is reached, the content ends with an ellipsis and everything further is
// dropped. A line of a paragraph that reaches maximumReleaseNotesBlockWeight goes on in a
// line of its own from its last break opportunity; one without any, or a table, that reaches
// it ends with an ellipsis, and what follows it in that line or table is dropped. Clusters are
// cut (withShortClusters()) across spans, empty paragraphs dropped. Line and paragraph
// separators in text are spaces (lines are ended by addLineBreak() alone).
class ReleaseNotesContentBuilder
{
public:
    struct Emphasis
    {
        bool bold = false;
        bool italic = false;
        bool code = false;
        bool strikeout = false;
    };

    // Adds text to the open paragraph, or to a new one of `format` when none is open. In a
    // table, the text goes to its open cell (a row and a cell are opened when none is), and
    // `format` does not matter.
    void addText(QStringView text, Emphasis emphasis, const ReleaseNotesParagraphFormat &format = {});
    void addLineBreak(const ReleaseNotesParagraphFormat &format = {});
    // Ends the open paragraph; in a table cell, the next text starts on a new line.
    void endParagraph();

    // A table, until endTable(): paragraphs in it are lines of its cells.
    void beginTable();
    void beginRow();
    void beginCell();
    void endTable();

    // Ends the content with an ellipsis (the reader left something out); nothing is added
    // afterwards.
    void cut();
    bool isFull() const { return m_full; }

    ReleaseNotesContent take();

private:
    QList<ReleaseNotesSpan> *openSpans(const ReleaseNotesParagraphFormat &format);
    void append(QList<ReleaseNotesSpan> &spans, const QString &text, Emphasis emphasis);
    bool spend(qsizetype weight);
    // Ends the open line or table with an ellipsis; what follows in it is dropped.
    void cutBlock();
    // An ellipsis at the end of the open line or cell.
    void appendEllipsis();
    // A new line of a paragraph, or a new table, with a budget of its own.
    void startBlock();
    void finishCell();

    qsizetype m_left = maximumReleaseNotesWeight;
    qsizetype m_blockLeft = maximumReleaseNotesBlockWeight;
    bool m_full = false;
    // Whether the open line or table was cut: text is dropped until it ends.
    bool m_skipping = false;
    // The scripts that no installed font writes met so far (each weighs once).
    QList<QChar::Script> m_unwrittenScripts;
    std::optional<ReleaseNotesParagraph> m_paragraph;
    std::optional<ReleaseNotesTable> m_table;
    bool m_cellOpen = false;
    bool m_cellBreakPending = false;
    // The last grapheme cluster of the open paragraph or cell, which text added to it may
    // continue.
    QString m_lastCluster;
    // How long the run of characters without a break opportunity that ends it is.
    qint64 m_unbreakableRun = 0;
    ReleaseNotesContent m_content;
};

} // namespace veyra
