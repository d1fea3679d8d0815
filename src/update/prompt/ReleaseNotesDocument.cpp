#include "update/prompt/ReleaseNotesDocument.h"

#include "update/prompt/ReleaseNotes.h"
#include "update/prompt/ReleaseNotesContent.h"
#include "update/prompt/ReleaseNotesHtml.h"
#include "update/prompt/ReleaseNotesMarkdown.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QImage>
#include <QRawFont>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextLayout>
#include <QTextList>
#include <QTextTable>
#include <QThread>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>
#include <vector>

namespace veyra {

namespace {

using Format = ReleaseNotesParagraphFormat;

// The character that starts at `at`, a surrogate pair's two code units together.
char32_t characterAt(const QString &text, qsizetype at)
{
    return text.at(at).isHighSurrogate() && at + 1 < text.size() ? QChar::surrogateToUcs4(text.at(at), text.at(at + 1))
                                                                 : text.at(at).unicode();
}

// Loads nothing: the content names no resource, and should anything ask, this override and
// the provider answer with refusedReleaseNotesResource() (QTextDocument would read a
// name it gets no answer for as a local file itself).
class ResourceRefusingDocument : public QTextDocument
{
public:
    ResourceRefusingDocument()
    {
        setResourceProvider([](const QUrl &) { return refusedReleaseNotesResource(ImageResource); });
    }

protected:
    QVariant loadResource(int type, const QUrl &) override { return refusedReleaseNotesResource(type); }
};

// Qt marks every item of a list to be laid out again whenever an item is added to it, so that
// writing a list of thousands of items took seconds: a longer list is written as lists of
// this many items each, which show the same (their bullets are the layout's).
constexpr int longestList = 64;

// Spacing in pixels, the same for every notes.
constexpr double paragraphSpacing = 6;
constexpr double headingSpacing = 10;
constexpr double listItemSpacing = 2;
constexpr double cellPadding = 4;

void setCodeFont(QTextCharFormat &format)
{
    format.setFontFamilies(QStringList{QStringLiteral("monospace")});
    format.setFontStyleHint(QFont::TypeWriter);
    format.setFontFixedPitch(true);
}

QTextBlockFormat blockFormat(const Format &format, bool first)
{
    QTextBlockFormat block;
    switch (format.kind) {
    case Format::Kind::heading:
        block.setHeadingLevel(format.level);
        block.setTopMargin(first ? 0 : headingSpacing);
        block.setBottomMargin(paragraphSpacing);
        break;
    case Format::Kind::listItem:
        block.setBottomMargin(listItemSpacing);
        break;
    case Format::Kind::listContinuation:
        block.setIndent(format.level);
        block.setBottomMargin(listItemSpacing);
        break;
    case Format::Kind::body:
    case Format::Kind::code:
        block.setBottomMargin(paragraphSpacing);
        break;
    }
    return block;
}

QTextCharFormat paragraphCharFormat(const Format &format)
{
    QTextCharFormat characters;
    if (format.kind == Format::Kind::heading) {
        characters.setFontWeight(QFont::Bold);
        characters.setProperty(QTextFormat::FontSizeAdjustment, format.level == 1 ? 2 : format.level == 2 ? 1 : 0);
    } else if (format.kind == Format::Kind::code || format.code) {
        setCodeFont(characters);
    }
    return characters;
}

QTextCharFormat spanFormat(QTextCharFormat characters, const ReleaseNotesSpan &span)
{
    if (span.bold) {
        characters.setFontWeight(QFont::Bold);
    }
    if (span.italic) {
        characters.setFontItalic(true);
    }
    if (span.code) {
        setCodeFont(characters);
    }
    if (span.strikeout) {
        characters.setFontStrikeOut(true);
    }
    return characters;
}

QTextListFormat listFormat(const Format &format)
{
    QTextListFormat list;
    list.setIndent(format.level);
    if (format.ordered) {
        list.setStyle(QTextListFormat::ListDecimal);
    } else {
        constexpr std::array bullets{
            QTextListFormat::ListDisc, QTextListFormat::ListCircle, QTextListFormat::ListSquare};
        list.setStyle(bullets[std::min<std::size_t>(std::size_t(format.level - 1), bullets.size() - 1)]);
    }
    return list;
}

// Writes text in the fonts that show it. For a character that the font asked for lacks,
// Qt tries the fonts of a fallback list in turn: for Chinese, Japanese or Korean text a dozen
// font matches on each thread at its first show, and a dozen fonts looked at for each
// character each time the text is shaped. So the notes thread finds, once for each font and
// script of the notes, the font Qt shows that script's text in, by laying out a sample of
// it; that text then names that font first, and the GUI thread loads it directly and looks
// at no other. (Spaces, digits and punctuation among that text show in that font too.)
// Text of a script that no installed font writes is written plain, in the document's font
// without font merging, whatever its emphasis: it shows as the font's boxes, as it would
// anyway, but Qt does not first try every installed font for it on every thread that lays it
// out, which takes tens of milliseconds a script and each emphasis of it, and asks for one
// font for it on each thread, whatever the emphasis.
class ScriptFonts
{
public:
    explicit ScriptFonts(const QFont &documentFont)
        : m_documentFont(documentFont)
    { }

    // Writes a line of text, pieces of it in formats of their own. Qt lays out what all
    // scripts share (a space, a digit, a punctuation mark) in the script of the text before
    // it (or after it, at the start), whatever the formats: text laid out in a script no
    // installed font writes is written plain, that around it too.
    void insert(QTextCursor &cursor, const QList<std::pair<QString, QTextCharFormat>> &pieces)
    {
        QString line;
        for (const auto &[text, format] : pieces) {
            line += text;
        }
        const std::vector<char> unwrittenUnits = unwrittenOf(line);
        qsizetype offset = 0;
        for (const auto &[text, format] : pieces) {
            insert(cursor, text, format, unwrittenUnits.data() + offset);
            offset += text.size();
        }
    }

private:
    // Of each code unit of the line, whether Qt lays it out in a script that no installed font
    // writes.
    static std::vector<char> unwrittenOf(const QString &line)
    {
        std::vector<std::optional<bool>> written(std::size_t(line.size()));
        std::optional<bool> first;
        for (qsizetype at = 0; at < line.size();) {
            const char32_t character = characterAt(line, at);
            const qsizetype length = QChar::requiresSurrogates(character) ? 2 : 1;
            const std::optional<bool> own = isReleaseNotesScriptWritten(QChar::script(character));
            for (qsizetype unit = at; unit < at + length; ++unit) {
                written[std::size_t(unit)] = own;
            }
            if (!first) {
                first = own;
            }
            at += length;
        }
        std::vector<char> unwritten(std::size_t(line.size()), 0);
        std::optional<bool> before = first;
        for (std::size_t unit = 0; unit < written.size(); ++unit) {
            if (written[unit]) {
                before = written[unit];
            }
            unwritten[unit] = before == false;
        }
        return unwritten;
    }

    // Writes text in one format: its runs laid out in a script that no installed font writes
    // (`unwrittenUnits`, one for each code unit) plain.
    void insert(QTextCursor &cursor, const QString &text, const QTextCharFormat &format, const char *unwrittenUnits)
    {
        const bool anyUnwritten
            = std::any_of(unwrittenUnits, unwrittenUnits + text.size(), [](char unit) { return unit; });
        // Latin letters and what all scripts share: in the font asked for.
        if (!anyUnwritten
            && std::all_of(text.begin(), text.end(), [](QChar unit) { return unit.unicode() < 0x0300; })) {
            cursor.insertText(text, format);
            return;
        }
        Fonts &fonts = fontsOf(format);
        std::vector<int> runs = runsOf(text, fonts);
        for (std::size_t unit = 0; unit < runs.size(); ++unit) {
            if (unwrittenUnits[unit]) {
                runs[unit] = unwritten;
            }
        }
        QHash<int, QTextCharFormat> formats;
        const auto formatOf = [&](int run) {
            auto found = formats.find(run);
            if (found == formats.end()) {
                QTextCharFormat runFormat = format;
                if (run == unwritten) {
                    runFormat = QTextCharFormat();
                    runFormat.setFontStrikeOut(format.fontStrikeOut());
                    runFormat.setFontStyleStrategy(QFont::NoFontMerging);
                } else if (run != shared) {
                    runFormat.setFontFamilies(QStringList{m_fallbacks.at(run)} + fonts.font.families());
                }
                found = formats.insert(run, runFormat);
            }
            return *found;
        };
        qsizetype runStart = 0;
        for (qsizetype at = 1; at <= text.size(); ++at) {
            if (at == text.size() || runs[at] != runs[runStart]) {
                cursor.insertText(text.mid(runStart, at - runStart), formatOf(runs[runStart]));
                runStart = at;
            }
        }
    }

    // Runs of text, by the fonts they show in: the font asked for (it or Qt's fallback list
    // shows them), none (a script no installed font writes), or one of m_fallbacks.
    static constexpr int shared = -1;
    static constexpr int unwritten = -2;

    // What is known of a font of the document: the same for every size and weight.
    struct Fonts
    {
        QFont font;
        // The font that shows what the font asked for writes itself, and its family.
        QRawFont first;
        QString family;
        // For each script: the run of its text (shared when Qt shows it in the font asked
        // for, or in more than one of its fallbacks).
        QHash<int, int> scriptRuns;
        // For characters that all scripts share: whether `first` shows them.
        QHash<char32_t, bool> shownByFirst;
    };

    Fonts &fontsOf(const QTextCharFormat &format)
    {
        // Notes use a few formats for thousands of pieces of text.
        for (const auto &[known, key] : m_formatKeys) {
            if (known == format) {
                return *m_fonts.find(key);
            }
        }
        const QFont font = format.font().resolve(m_documentFont);
        const QString key = font.families().join(QLatin1Char(',')) + QLatin1Char('/')
            + QString::number(font.styleHint()) + QLatin1Char('/') + QString::number(int(font.style()))
            + QLatin1Char('/') + QString::number(int(font.fixedPitch()));
        auto found = m_fonts.find(key);
        if (found == m_fonts.end()) {
            found = m_fonts.insert(key, Fonts{font, QRawFont::fromFont(font), QFontInfo(font).family(), {}, {}});
        }
        m_formatKeys.emplace_back(format, key);
        return *found;
    }

    // The run of each code unit of the text (a surrogate pair's two in the same). What all
    // scripts share (spaces, digits, punctuation, symbols) stays in the run of the script
    // text it follows, as Qt keeps it in that script's item; after text in the font asked
    // for, or before any script, it goes to the font asked for if that shows it, or else to
    // the script text after it. Marks and joiners go with what they follow.
    std::vector<int> runsOf(const QString &text, Fonts &fonts)
    {
        const qsizetype size = text.size();
        // The runs of script text; shared characters are left out for now.
        std::vector<std::optional<int>> scriptRuns(std::size_t(size), std::nullopt);
        for (qsizetype at = 0; at < size;) {
            const char32_t character = characterAt(text, at);
            const qsizetype length = QChar::requiresSurrogates(character) ? 2 : 1;
            const QChar::Script script = QChar::script(character);
            if (const std::optional<bool> written = isReleaseNotesScriptWritten(script)) {
                const int run = !*written           ? unwritten
                    : script == QChar::Script_Latin ? shared
                                                    : scriptRun(fonts, script, text, at);
                for (qsizetype unit = at; unit < at + length; ++unit) {
                    scriptRuns[unit] = run;
                }
            }
            at += length;
        }
        std::vector<int> nextScriptRun(std::size_t(size) + 1, shared);
        for (qsizetype at = size - 1; at >= 0; --at) {
            nextScriptRun[at] = scriptRuns[at].value_or(nextScriptRun[at + 1]);
        }
        std::vector<int> runs(std::size_t(size), shared);
        std::optional<int> scriptBefore;
        for (qsizetype at = 0; at < size;) {
            const char32_t character = characterAt(text, at);
            const qsizetype length = QChar::requiresSurrogates(character) ? 2 : 1;
            int run = shared;
            if (scriptRuns[at]) {
                run = *scriptRuns[at];
                scriptBefore = run;
            } else if (scriptBefore && *scriptBefore != shared) {
                run = *scriptBefore;
            } else if (QChar::script(character) == QChar::Script_Inherited) {
                run = at > 0 ? runs[at - 1] : nextScriptRun[at];
            } else if (!shownByFirst(fonts, character) && nextScriptRun[at] >= 0) {
                run = nextScriptRun[at];
            }
            for (qsizetype unit = at; unit < at + length; ++unit) {
                runs[unit] = run;
            }
            at += length;
        }
        return runs;
    }

    static bool shownByFirst(Fonts &fonts, char32_t character)
    {
        auto known = fonts.shownByFirst.constFind(character);
        if (known == fonts.shownByFirst.constEnd()) {
            known = fonts.shownByFirst.insert(character, fonts.first.supportsCharacter(uint(character)));
        }
        return *known;
    }

    // The run of the script's text: laid out here, a sample of it (its characters from `at`
    // on) shows in which font Qt shows it.
    int scriptRun(Fonts &fonts, QChar::Script script, const QString &text, qsizetype at)
    {
        auto known = fonts.scriptRuns.constFind(int(script));
        if (known != fonts.scriptRuns.constEnd()) {
            return *known;
        }
        QString sample;
        for (qsizetype next = at; next < text.size() && sample.size() < sampleLength;) {
            const char32_t character = characterAt(text, next);
            if (QChar::script(character) == script) {
                sample += QString::fromUcs4(&character, 1);
            }
            next += QChar::requiresSurrogates(character) ? 2 : 1;
        }
        QTextLayout layout(sample, fonts.font);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        QString fallback;
        bool one = true;
        for (const QGlyphRun &glyphs : layout.glyphRuns()) {
            // Boxes for what no font shows: the missing glyph of the font asked for, or
            // those Qt draws itself, of a font with no family at all (which Qt 6.4 cannot
            // name) and no tables.
            const QList<quint32> indexes = glyphs.glyphIndexes();
            if (std::all_of(indexes.begin(), indexes.end(), [](quint32 index) { return index == 0; })
                || glyphs.rawFont().fontTable("head").isEmpty()) {
                continue;
            }
            const QString family = glyphs.rawFont().familyName();
            if (family == fonts.family || family == fallback) {
                continue;
            }
            one = fallback.isEmpty();
            fallback = family;
        }
        int run = shared;
        if (one && !fallback.isEmpty()) {
            run = int(m_fallbacks.indexOf(fallback));
            if (run < 0) {
                run = int(m_fallbacks.size());
                m_fallbacks.append(fallback);
            }
        }
        fonts.scriptRuns.insert(int(script), run);
        return run;
    }

    // Enough characters of a script to tell the font Qt shows it in.
    static constexpr qsizetype sampleLength = 16;

    QFont m_documentFont;
    QHash<QString, Fonts> m_fonts;
    // The formats met so far, with the key of their fonts in m_fonts.
    std::vector<std::pair<QTextCharFormat, QString>> m_formatKeys;
    QStringList m_fallbacks;
};

// Writes the spans, after the marker (of a list item) when there is one.
void insertSpans(ScriptFonts &fonts, QTextCursor &cursor, const QList<ReleaseNotesSpan> &spans,
    const QTextCharFormat &base, const QString &marker = {})
{
    QList<std::pair<QString, QTextCharFormat>> pieces;
    if (!marker.isEmpty()) {
        // In the item's font even when the item is code.
        pieces.append({marker, QTextCharFormat()});
    }
    for (const ReleaseNotesSpan &span : spans) {
        pieces.append({span.text, spanFormat(base, span)});
    }
    fonts.insert(cursor, pieces);
}

class DocumentWriter
{
public:
    explicit DocumentWriter(QTextDocument &document)
        : m_cursor(&document)
        , m_fonts(document.defaultFont())
    { }

    void write(const ReleaseNotesContent &content)
    {
        m_cursor.beginEditBlock();
        for (const auto &block : content.blocks) {
            if (const auto *paragraph = std::get_if<ReleaseNotesParagraph>(&block)) {
                write(*paragraph);
            } else {
                write(std::get<ReleaseNotesTable>(block));
            }
        }
        m_cursor.endEditBlock();
    }

private:
    // Each line of a paragraph is a block of its own (a line break is the end of one), so
    // that the notes are laid out a line at a time: its first carries the paragraph's space
    // above and its marker, its last the space below, the others are indented as the first.
    void write(const ReleaseNotesParagraph &paragraph)
    {
        QList<ReleaseNotesSpan> line;
        const auto endLine = [&](bool last) {
            writeLine(paragraph.format, line, last);
            line.clear();
        };
        m_firstLine = true;
        for (const ReleaseNotesSpan &span : paragraph.spans) {
            const QStringList pieces = span.text.split(QChar::LineSeparator);
            for (qsizetype piece = 0; piece < pieces.size(); ++piece) {
                if (piece > 0) {
                    endLine(false);
                }
                if (!pieces[piece].isEmpty()) {
                    ReleaseNotesSpan part = span;
                    part.text = pieces[piece];
                    line.append(part);
                }
            }
        }
        endLine(true);
    }

    void writeLine(const Format &paragraphFormat, const QList<ReleaseNotesSpan> &spans, bool last)
    {
        const bool first = std::exchange(m_firstLine, false);
        Format format = paragraphFormat;
        if (!first && format.kind == Format::Kind::listItem) {
            format.kind = Format::Kind::listContinuation;
        }
        const QTextCharFormat characters = paragraphCharFormat(format);
        QTextBlockFormat block = blockFormat(format, m_first);
        if (!first) {
            block.setTopMargin(0);
        }
        if (!last) {
            block.setBottomMargin(0);
        }
        if (m_atEmptyBlock) {
            m_cursor.setBlockFormat(block);
            m_cursor.setBlockCharFormat(characters);
        } else {
            m_cursor.insertBlock(block, characters);
        }
        m_atEmptyBlock = false;
        m_first = false;
        // The lists open at each depth: an item continues the one at its depth unless it
        // starts a list of its own; a paragraph ends those deeper than it.
        int depth = 0;
        if (format.kind == Format::Kind::listItem && format.ordered) {
            // Numbered items carry their numbers themselves (a list of Qt's counts from 1),
            // hanging in the indent as a list's would.
            depth = format.level;
            m_lists[std::size_t(depth)] = nullptr;
            const QString number = releaseNotesListMarker(format.number, format.delimiter) + QLatin1Char(' ');
            QTextBlockFormat numbered = block;
            numbered.setIndent(depth);
            const double indent = depth * m_cursor.document()->indentWidth();
            numbered.setTextIndent(
                -std::min(indent, QFontMetricsF(m_cursor.document()->defaultFont()).horizontalAdvance(number)));
            m_cursor.setBlockFormat(numbered);
        } else if (format.kind == Format::Kind::listItem) {
            depth = format.level;
            QTextList *&list = m_lists[std::size_t(depth)];
            if (format.startsList || !list || list->format().style() != listFormat(format).style()
                || list->count() >= longestList) {
                list = m_cursor.createList(listFormat(format));
            } else {
                list->add(m_cursor.block());
            }
        } else if (format.kind == Format::Kind::listContinuation) {
            depth = format.level;
        }
        for (std::size_t deeper = std::size_t(depth) + 1; deeper < m_lists.size(); ++deeper) {
            m_lists[deeper] = nullptr;
        }
        // The number and the task box.
        insertSpans(m_fonts, m_cursor, spans, characters, releaseNotesItemMarker(format));
    }

    void write(const ReleaseNotesTable &table)
    {
        m_lists.fill(nullptr);
        QTextTableFormat format;
        // Borders of their own for each cell: collapsed ones cost Qt twice the time to lay
        // out and to draw.
        format.setBorder(1);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setCellPadding(cellPadding);
        format.setCellSpacing(0);
        format.setBottomMargin(paragraphSpacing);
        QTextTable *inserted = m_cursor.insertTable(int(table.rows.size()), table.columns, format);
        for (int row = 0; row < table.rows.size(); ++row) {
            for (int column = 0; column < table.columns; ++column) {
                QTextCursor cell = inserted->cellAt(row, column).firstCursorPosition();
                insertSpans(m_fonts, cell, table.rows[row][column], QTextCharFormat());
            }
        }
        // On in the block that follows every table.
        m_cursor = inserted->lastCursorPosition();
        m_cursor.movePosition(QTextCursor::NextBlock);
        m_atEmptyBlock = true;
        m_first = false;
    }

    QTextCursor m_cursor;
    ScriptFonts m_fonts;
    bool m_atEmptyBlock = true;
    bool m_first = true;
    // Whether the next line written is the first of its paragraph.
    bool m_firstLine = true;
    std::array<QTextList *, maximumReleaseNotesListDepth + 1> m_lists{};
};

ReleaseNotesContent plainContent(const QString &text)
{
    ReleaseNotesContentBuilder builder;
    QStringView shown(text);
    const bool cut = shown.size() > maximumReadReleaseNotesLength;
    shown = leftOfCharacters(shown, maximumReadReleaseNotesLength);
    qsizetype start = 0;
    while (start <= shown.size() && !builder.isFull()) {
        qsizetype end = shown.indexOf(u'\n', start);
        if (end < 0) {
            end = shown.size();
        }
        if (start > 0) {
            builder.addLineBreak();
        }
        QStringView line = shown.mid(start, end - start);
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
        builder.addText(line, {});
        start = end + 1;
    }
    if (cut) {
        builder.cut();
    }
    return builder.take();
}

// HTML and Markdown read by our readers; plain text, and HTML that yields no text, as
// paragraphs of its lines.
ReleaseNotesContent releaseNotesContent(const ReleaseNotes &notes)
{
    switch (notes.format) {
    case ReleaseNotes::Format::html: {
        ReleaseNotesContent content = readHtmlReleaseNotes(notes.text);
        if (!content.isEmpty()) {
            return content;
        }
        break;
    }
    case ReleaseNotes::Format::markdown:
        return readMarkdownReleaseNotes(notes.text);
    case ReleaseNotes::Format::plainText:
        break;
    }
    return plainContent(notes.text);
}

// The document that shows the content, with our own formats only.
std::unique_ptr<QTextDocument> documentOf(const ReleaseNotesContent &content, const QFont &font, double margin)
{
    auto document = std::make_unique<ResourceRefusingDocument>();
    document->setUndoRedoEnabled(false);
    document->setDefaultFont(font);
    document->setDocumentMargin(margin);
    DocumentWriter(*document).write(content);
    return document;
}

} // namespace

QVariant refusedReleaseNotesResource(int type)
{
    if (type == QTextDocument::ImageResource) {
        QImage pixel(1, 1, QImage::Format_ARGB32_Premultiplied);
        pixel.fill(Qt::transparent);
        return pixel;
    }
    return QString();
}

std::unique_ptr<QTextDocument> makeReleaseNotesDocument(
    const ReleaseNotes &notes, const QFont &font, double margin, QThread *thread)
{
    std::unique_ptr<QTextDocument> document = documentOf(releaseNotesContent(notes), font, margin);
    document->moveToThread(thread);
    return document;
}

namespace {

// Samples of the text, a few whole characters each: its first characters, or with `byScript`
// the first characters of each script in it (what all scripts share goes with the script
// before it).
QList<std::pair<QChar::Script, QString>> samplesOf(const QString &text, bool byScript)
{
    constexpr qsizetype sampleLength = 8;
    QList<std::pair<QChar::Script, QString>> samples;
    QChar::Script current = QChar::Script_Common;
    for (qsizetype at = 0; at < text.size();) {
        const char32_t character = characterAt(text, at);
        const qsizetype length = QChar::requiresSurrogates(character) ? 2 : 1;
        const QChar::Script script = QChar::script(character);
        if (byScript && script != QChar::Script_Common && script != QChar::Script_Inherited) {
            current = script;
        }
        auto sample
            = std::find_if(samples.begin(), samples.end(), [&](const auto &each) { return each.first == current; });
        if (sample == samples.end()) {
            samples.append({current, QString()});
            sample = samples.end() - 1;
        }
        if (sample->second.size() < sampleLength) {
            sample->second += text.mid(at, length);
        }
        at += length;
    }
    return samples;
}

} // namespace

QList<ReleaseNotesFace> releaseNotesFaces(const QTextDocument &document, qsizetype limit)
{
    // A face is loaded once for all its sizes.
    QList<ReleaseNotesFace> faces;
    QSet<QString> known;
    // Of each format of the document's text, its font and what tells that font apart.
    QHash<int, std::pair<QFont, QString>> formats;
    for (QTextBlock block = document.begin(); block.isValid() && faces.size() < limit; block = block.next()) {
        for (auto fragments = block.begin(); !fragments.atEnd() && faces.size() < limit; ++fragments) {
            const QTextFragment fragment = fragments.fragment();
            const QString text = fragment.text().trimmed();
            if (text.isEmpty() || text.front() == QChar::ObjectReplacementCharacter) {
                continue;
            }
            // Notes use a few formats for thousands of fragments.
            auto format = formats.constFind(fragment.charFormatIndex());
            if (format == formats.constEnd()) {
                const QFont font = fragment.charFormat().font().resolve(document.defaultFont());
                format = formats.insert(fragment.charFormatIndex(),
                    {font,
                        font.families().join(QLatin1Char(',')) + QLatin1Char('/') + QString::number(font.weight())
                            + QLatin1Char('/') + QString::number(int(font.style())) + QLatin1Char('/')
                            + QString::number(font.styleHint()) + QLatin1Char('/')
                            + QString::number(int(font.styleStrategy()))});
            }
            const auto &[font, key] = *format;
            // Text that no installed font writes: Qt asks for a font for each of its scripts
            // apart, and a sample of each loads that.
            for (const auto &[script, sample] : samplesOf(text, font.styleStrategy() & QFont::NoFontMerging)) {
                const QString scriptKey = key + QLatin1Char('/') + QString::number(int(script));
                if (faces.size() < limit && !known.contains(scriptKey)) {
                    known.insert(scriptKey);
                    faces.append(ReleaseNotesFace{font, sample});
                }
            }
        }
    }
    return faces;
}

void loadReleaseNotesFace(const ReleaseNotesFace &face)
{
    QTextLayout layout(face.sample, face.font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
}

} // namespace veyra
