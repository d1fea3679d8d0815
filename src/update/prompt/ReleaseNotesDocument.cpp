#include "update/prompt/ReleaseNotesDocument.h"

#include "update/prompt/ReleaseNotes.h"
#include "update/prompt/ReleaseNotesContent.h"
#include "update/prompt/ReleaseNotesHtml.h"
#include "update/prompt/ReleaseNotesMarkdown.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QThread>

#include <array>
#include <bitset>
#include <optional>

namespace veyra {

namespace {

using Format = ReleaseNotesParagraphFormat;

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

// Whether some installed font writes the script, as far as the font database tells;
// nothing for what all scripts share.
std::optional<bool> isWritten(QChar::Script script)
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

// Inserts the text, the runs of scripts that no installed font writes without font merging:
// they show as the font's boxes, as they would anyway, but Qt does not first try every
// installed font for each of those scripts on every thread that lays them out, which takes
// tens of milliseconds a script.
void insertText(QTextCursor &cursor, const QString &text, const QTextCharFormat &format)
{
    QTextCharFormat unwritten = format;
    unwritten.setFontStyleStrategy(QFont::NoFontMerging);
    qsizetype runStart = 0;
    bool runWritten = true;
    const auto flush = [&](qsizetype end) {
        if (end > runStart) {
            cursor.insertText(text.mid(runStart, end - runStart), runWritten ? format : unwritten);
        }
        runStart = end;
    };
    for (qsizetype at = 0; at < text.size();) {
        const char32_t character = text.at(at).isHighSurrogate() && at + 1 < text.size()
            ? QChar::surrogateToUcs4(text.at(at), text.at(at + 1))
            : text.at(at).unicode();
        // Shared characters stay in the run they are in.
        const std::optional<bool> written = isWritten(QChar::script(character));
        if (written && *written != runWritten) {
            flush(at);
            runWritten = *written;
        }
        at += QChar::requiresSurrogates(character) ? 2 : 1;
    }
    flush(text.size());
}

void insertSpans(QTextCursor &cursor, const QList<ReleaseNotesSpan> &spans, const QTextCharFormat &base)
{
    for (const ReleaseNotesSpan &span : spans) {
        insertText(cursor, span.text, spanFormat(base, span));
    }
}

class DocumentWriter
{
public:
    explicit DocumentWriter(QTextDocument &document)
        : m_cursor(&document)
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
    void write(const ReleaseNotesParagraph &paragraph)
    {
        const Format &format = paragraph.format;
        const QTextCharFormat characters = paragraphCharFormat(format);
        const QTextBlockFormat block = blockFormat(format, m_first);
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
            const QString marker = releaseNotesListMarker(format.number, format.delimiter) + QLatin1Char(' ');
            QTextBlockFormat numbered = block;
            numbered.setIndent(depth);
            const double indent = depth * m_cursor.document()->indentWidth();
            numbered.setTextIndent(
                -std::min(indent, QFontMetricsF(m_cursor.document()->defaultFont()).horizontalAdvance(marker)));
            m_cursor.setBlockFormat(numbered);
            // In the item's font, even when the item is code.
            m_cursor.insertText(marker, QTextCharFormat());
        } else if (format.kind == Format::Kind::listItem) {
            depth = format.level;
            QTextList *&list = m_lists[std::size_t(depth)];
            if (format.startsList || !list || list->format().style() != listFormat(format).style()) {
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
        if (format.kind == Format::Kind::listItem && format.task != Format::Task::none) {
            m_cursor.insertText(
                releaseNotesTaskMarker(format.task == Format::Task::done) + QLatin1Char(' '), QTextCharFormat());
        }
        insertSpans(m_cursor, paragraph.spans, characters);
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
                insertSpans(cell, table.rows[row][column], QTextCharFormat());
            }
        }
        // On in the block that follows every table.
        m_cursor = inserted->lastCursorPosition();
        m_cursor.movePosition(QTextCursor::NextBlock);
        m_atEmptyBlock = true;
        m_first = false;
    }

    QTextCursor m_cursor;
    bool m_atEmptyBlock = true;
    bool m_first = true;
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
    const ReleaseNotes &notes, const QFont &font, double margin, double width, QThread *thread)
{
    std::unique_ptr<QTextDocument> document = documentOf(releaseNotesContent(notes), font, margin);
    document->setTextWidth(width);
    // Asking for the size lays out all of it.
    document->documentLayout()->documentSize();
    document->moveToThread(thread);
    return document;
}

} // namespace veyra
