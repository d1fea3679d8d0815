#include "update/prompt/ReleaseNotesDocument.h"

#include "update/prompt/ReleaseNotes.h"
#include "update/prompt/ReleaseNotesHtml.h"
#include "update/prompt/ReleaseNotesMarkdown.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QImage>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QThread>

#include <array>

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
    } else if (format.kind == Format::Kind::code) {
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

void insertSpans(QTextCursor &cursor, const QList<ReleaseNotesSpan> &spans, const QTextCharFormat &base)
{
    for (const ReleaseNotesSpan &span : spans) {
        cursor.insertText(span.text, spanFormat(base, span));
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
        if (format.kind == Format::Kind::listItem) {
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
    shown = shown.left(maximumReadReleaseNotesLength);
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

std::unique_ptr<QTextDocument> makeReleaseNotesDocument(
    const ReleaseNotesContent &content, const QFont &font, double margin)
{
    auto document = std::make_unique<ResourceRefusingDocument>();
    document->setUndoRedoEnabled(false);
    document->setDefaultFont(font);
    document->setDocumentMargin(margin);
    DocumentWriter(*document).write(content);
    return document;
}

std::unique_ptr<QTextDocument> makeReleaseNotesDocument(
    const ReleaseNotes &notes, const QFont &font, double margin, double width, QThread *thread)
{
    std::unique_ptr<QTextDocument> document = makeReleaseNotesDocument(releaseNotesContent(notes), font, margin);
    document->setTextWidth(width);
    // Asking for the size lays out all of it.
    document->documentLayout()->documentSize();
    document->moveToThread(thread);
    return document;
}

} // namespace veyra
