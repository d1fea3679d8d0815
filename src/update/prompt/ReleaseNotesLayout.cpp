#include "update/prompt/ReleaseNotesLayout.h"

#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextList>
#include <QTextTable>
#include <QTimerEvent>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace veyra {

namespace {

// What one turn of the event loop lays out at most (one block or table more when it
// started below it).
constexpr qint64 stepNanoseconds = 3'000'000;

// The width text is laid out at when the document has none: no line is wrapped.
constexpr qreal unwrappedWidth = 1e6;

// All of the document below `top`, as an area to draw again.
QRectF everythingBelow(qreal top)
{
    return QRectF(0, top, std::numeric_limits<int>::max(), std::numeric_limits<int>::max());
}

// The blocks of a table cell, first to last (found by their positions: a cursor in the
// document would ask this layout where its block is).
std::vector<QTextBlock> blocksOf(const QTextDocument &document, const QTextTableCell &cell)
{
    std::vector<QTextBlock> blocks;
    for (QTextBlock block = document.findBlock(cell.firstPosition());
         block.isValid() && block.position() <= cell.lastPosition(); block = block.next()) {
        blocks.push_back(block);
    }
    return blocks;
}

// How far the block's text is indented: its own indent and its list's.
qreal indentOf(const QTextBlock &block, const QTextDocument &document)
{
    int levels = block.blockFormat().indent();
    if (const QTextList *list = block.textList()) {
        levels += list->format().indent();
    }
    return levels * document.indentWidth();
}

// Whether the code unit is of a character that shows about an em wide: of Chinese, Japanese
// or Korean, their punctuation and full-width forms, or an emoji (two units, each counted).
bool isWide(QChar unit)
{
    const char16_t code = unit.unicode();
    return (code >= 0x1100 && code <= 0x115F) || (code >= 0x2E80 && code <= 0xA4CF)
        || (code >= 0xAC00 && code <= 0xD7A3) || (code >= 0xF900 && code <= 0xFAFF)
        || (code >= 0xFF00 && code <= 0xFF60) || unit.isSurrogate();
}

// Lays the block out `width` wide with its layout at `position`; its height. (At
// unwrappedWidth, its lines are as long as they can be, and its layout knows the longest
// word, its minimumWidth().)
qreal layOutBlock(const QTextBlock &block, const QTextDocument &document, QPointF position, qreal width)
{
    QTextLayout *layout = block.layout();
    const QTextBlockFormat format = block.blockFormat();
    QTextOption option = document.defaultTextOption();
    option.setUseDesignMetrics(document.useDesignMetrics());
    if (document.pageSize().width() <= 0) {
        option.setWrapMode(QTextOption::ManualWrap);
    } else if (width >= unwrappedWidth) {
        // A word is the least that is not broken, then.
        option.setWrapMode(QTextOption::WordWrap);
    }
    layout->setTextOption(option);
    // Drawing uses the glyphs this layout shapes rather than shaping every line again.
    layout->setCacheEnabled(true);
    layout->setPosition(position);
    const qreal left = indentOf(block, document) + format.leftMargin();
    const qreal available = std::max<qreal>(1, width - left - format.rightMargin());
    qreal height = 0;
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        // The first line starts where the text indent puts it (a number hangs left of it).
        const qreal indent = height == 0 ? format.textIndent() : 0;
        line.setLineWidth(std::max<qreal>(1, available - indent));
        line.setPosition(QPointF(left + indent, height));
        height += line.height();
    }
    layout->endLayout();
    return height;
}

// Where the point falls in the block whose layout is at `origin`: the position of the
// character next to it, or -1 for an exact hit off its text.
int hitInBlock(const QTextBlock &block, QPointF point, QPointF origin, Qt::HitTestAccuracy accuracy)
{
    const QTextLayout *layout = block.layout();
    if (layout->lineCount() == 0) {
        return accuracy == Qt::ExactHit ? -1 : block.position();
    }
    const QPointF inside = point - origin;
    QTextLine line = layout->lineAt(0);
    for (int index = 1; index < layout->lineCount() && layout->lineAt(index).y() <= inside.y(); ++index) {
        line = layout->lineAt(index);
    }
    if (accuracy == Qt::ExactHit
        && (inside.x() < line.x() || inside.x() > line.x() + line.naturalTextWidth() || inside.y() < line.y()
            || inside.y() > line.y() + line.height())) {
        return -1;
    }
    return block.position() + line.xToCursor(inside.x());
}

void drawBullet(QPainter *painter, const QTextBlock &block, QPointF origin, const QFont &font)
{
    const QTextList *list = block.textList();
    const QTextLayout *layout = block.layout();
    if (!list || layout->lineCount() == 0 || list->itemNumber(block) < 0) {
        return;
    }
    const QTextLine line = layout->lineAt(0);
    const QFontMetricsF metrics(font);
    const qreal size = std::floor(metrics.lineSpacing() / 3);
    // Centred on the ascent of the document's font, on the line's baseline: a line whose text
    // shows in a taller font (Japanese in Noto Sans CJK, say) has a taller ascent, but its
    // bullet sits where every other bullet does.
    const qreal baseline = origin.y() + line.y() + line.ascent();
    const QRectF bullet(origin.x() + line.x() - metrics.horizontalAdvance(QLatin1Char(' ')) - size,
        baseline - metrics.ascent() + (metrics.ascent() - size) / 2, size, size);
    painter->save();
    const QColor color = painter->pen().color();
    switch (list->format().style()) {
    case QTextListFormat::ListDisc:
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setPen(Qt::NoPen);
        painter->setBrush(color);
        painter->drawEllipse(bullet);
        break;
    case QTextListFormat::ListCircle:
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setBrush(Qt::NoBrush);
        painter->drawEllipse(bullet.adjusted(0.5, 0.5, -0.5, -0.5));
        break;
    case QTextListFormat::ListSquare:
        painter->fillRect(bullet, color);
        break;
    default:
        break;
    }
    painter->restore();
}

} // namespace

struct ReleaseNotesLayout::Item
{
    // A block of the root frame, or a table, whose cells' blocks it lays out.
    QTextBlock block;
    QTextTable *table = nullptr;
    // The space above and below it (that of two items next to each other overlaps).
    qreal topMargin = 0;
    qreal bottomMargin = 0;
    // Its height: as laid out at the current width when `laidOut`; when `measured` (laid out
    // at another width), as it was then, scaled to this width; estimated otherwise.
    qreal height = 0;
    bool laidOut = false;
    bool measured = false;
    // Of a block: how many code units of its text show about an em wide, and how many not.
    qsizetype wideUnits = 0;
    qsizetype narrowUnits = 0;
    // Whether it takes no space (the empty block before or after a table).
    bool hidden = false;
    // Of a table: its width, where its columns' content starts and how wide it is, where its
    // rows' content starts (from its top) and how tall it is.
    qreal width = 0;
    std::vector<qreal> columnX;
    std::vector<qreal> columnWidth;
    std::vector<qreal> rowY;
    std::vector<qreal> rowHeight;
};

ReleaseNotesLayout::ReleaseNotesLayout(QTextDocument *document)
    : QAbstractTextDocumentLayout(document)
{ }

ReleaseNotesLayout::~ReleaseNotesLayout() = default;

qreal ReleaseNotesLayout::contentWidth() const
{
    const qreal page = document()->pageSize().width();
    if (page <= 0) {
        return unwrappedWidth;
    }
    return std::max<qreal>(1, page - 2 * document()->documentMargin());
}

void ReleaseNotesLayout::buildItems()
{
    QTextDocument &document = *this->document();
    const QFontMetricsF metrics(document.defaultFont());
    m_lineSpacing = metrics.lineSpacing();
    m_characterWidth = std::max<qreal>(1, metrics.averageCharWidth());
    // About an em, as the fonts of those scripts draw them (which the GUI thread has not
    // loaded yet): the font's height.
    m_wideCharacterWidth = std::max<qreal>(m_characterWidth, metrics.height());
    m_items.clear();
    m_itemOfBlock.assign(std::size_t(std::max(0, document.blockCount())), 0);
    for (auto it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        Item item;
        if (auto *table = qobject_cast<QTextTable *>(it.currentFrame())) {
            item.table = table;
            const QTextTableFormat format = table->format();
            item.topMargin = format.topMargin();
            item.bottomMargin = format.bottomMargin();
            for (QTextBlock block = document.findBlock(table->firstPosition());
                 block.isValid() && block.position() <= table->lastPosition(); block = block.next()) {
                m_itemOfBlock[std::size_t(block.blockNumber())] = m_items.size();
            }
        } else if (it.currentBlock().isValid()) {
            item.block = it.currentBlock();
            const QString text = item.block.text();
            item.wideUnits = std::count_if(text.begin(), text.end(), isWide);
            item.narrowUnits = text.size() - item.wideUnits;
            const QTextBlockFormat format = item.block.blockFormat();
            item.topMargin = format.topMargin();
            item.bottomMargin = format.bottomMargin();
            m_itemOfBlock[std::size_t(item.block.blockNumber())] = m_items.size();
        } else {
            continue;
        }
        m_items.push_back(std::move(item));
    }
    // An empty block next to a table takes no space, as in Qt's own layout.
    for (std::size_t index = 0; index < m_items.size(); ++index) {
        Item &item = m_items[index];
        const bool nextToTable
            = (index > 0 && m_items[index - 1].table) || (index + 1 < m_items.size() && m_items[index + 1].table);
        item.hidden = !item.table && item.block.length() <= 1 && nextToTable;
        item.height = estimatedHeight(item);
    }
    m_blockCount = document.blockCount();
    m_characterCount = document.characterCount();
}

qreal ReleaseNotesLayout::estimatedHeight(const Item &item) const
{
    if (item.hidden) {
        return 0;
    }
    if (item.table) {
        const QTextTableFormat format = item.table->format();
        return item.table->rows() * (m_lineSpacing + 2 * format.cellPadding() + format.border()) + format.border();
    }
    const qreal available = std::max<qreal>(m_wideCharacterWidth, contentWidth() - indentOf(item.block, *document()));
    const qreal width = item.narrowUnits * m_characterWidth + item.wideUnits * m_wideCharacterWidth;
    const qreal lines = std::ceil(width / available);
    return std::max<qreal>(1, lines) * m_lineSpacing;
}

void ReleaseNotesLayout::documentChanged(int, int, int)
{
    const qreal width = contentWidth();
    if (document()->blockCount() != m_blockCount || document()->characterCount() != m_characterCount) {
        buildItems();
    } else {
        // The same text at another width, or in other fonts: what was laid out keeps its
        // height, scaled to the width, until it is laid out again; the rest is estimated at
        // this width.
        for (Item &item : m_items) {
            if (!item.measured || m_width <= 0 || m_width >= unwrappedWidth) {
                item.measured = false;
                item.height = estimatedHeight(item);
            } else if (!item.table && !item.hidden && width < unwrappedWidth) {
                item.height = std::max(m_lineSpacing, item.height * m_width / width);
            }
            item.laidOut = false;
        }
    }
    m_width = width;
    m_widest = 0;
    m_next = 0;
    m_placed = false;
    m_complete = false;
    m_steps.start(0, this);
    emit update(everythingBelow(0));
}

void ReleaseNotesLayout::layOut(std::size_t index) const
{
    Item &item = m_items[index];
    if (item.laidOut) {
        return;
    }
    const qreal before = item.height;
    if (item.hidden) {
        item.height = 0;
    } else if (item.table) {
        layOutTable(item);
    } else {
        const qreal width = contentWidth();
        item.height = layOutBlock(item.block, *document(), QPointF(document()->documentMargin(), 0), width);
        m_widest = std::max(m_widest, std::min(width, item.block.layout()->maximumWidth()));
    }
    item.laidOut = true;
    item.measured = true;
    if (item.height != before) {
        m_placed = false;
    }
}

void ReleaseNotesLayout::layOutTable(Item &item) const
{
    const QTextDocument &document = *this->document();
    QTextTable &table = *item.table;
    const QTextTableFormat format = table.format();
    const qreal border = format.border();
    const qreal padding = format.cellPadding();
    const int rows = table.rows();
    const int columns = table.columns();
    const auto cellOf = [&table](int row, int column) {
        const QTextTableCell cell = table.cellAt(row, column);
        // A cell that another spans is that cell's.
        return cell.row() == row && cell.column() == column ? cell : QTextTableCell();
    };
    // Each column as wide as its widest text, or narrower down to its longest word when the
    // table would not fit otherwise, each by as much as it can give.
    std::vector<qreal> natural(std::size_t(columns), 0);
    std::vector<qreal> least(std::size_t(columns), 0);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const QTextTableCell cell = cellOf(row, column);
            if (!cell.isValid()) {
                continue;
            }
            for (const QTextBlock &block : blocksOf(document, cell)) {
                layOutBlock(block, document, QPointF(), unwrappedWidth);
                natural[std::size_t(column)] = std::max(natural[std::size_t(column)], block.layout()->maximumWidth());
                least[std::size_t(column)] = std::max(least[std::size_t(column)], block.layout()->minimumWidth());
            }
        }
    }
    const qreal frame = border + columns * (2 * padding + border);
    const qreal available = std::max<qreal>(0, contentWidth() - frame);
    qreal naturalSum = 0;
    qreal leastSum = 0;
    for (int column = 0; column < columns; ++column) {
        naturalSum += natural[std::size_t(column)];
        leastSum += least[std::size_t(column)];
    }
    item.columnWidth.assign(std::size_t(columns), 0);
    item.columnX.assign(std::size_t(columns), 0);
    qreal x = document.documentMargin() + border;
    for (int column = 0; column < columns; ++column) {
        const std::size_t at = std::size_t(column);
        qreal width = natural[at];
        if (naturalSum > available) {
            width = leastSum >= available || naturalSum <= leastSum
                ? least[at]
                : least[at] + (natural[at] - least[at]) * (available - leastSum) / (naturalSum - leastSum);
        }
        item.columnWidth[at] = std::max<qreal>(1, width);
        item.columnX[at] = x + padding;
        x += item.columnWidth[at] + 2 * padding + border;
    }
    item.width = x - document.documentMargin();
    m_widest = std::max(m_widest, item.width);
    item.rowY.assign(std::size_t(rows), 0);
    item.rowHeight.assign(std::size_t(rows), 0);
    qreal y = border;
    for (int row = 0; row < rows; ++row) {
        const std::size_t at = std::size_t(row);
        item.rowY[at] = y + padding;
        qreal height = 0;
        for (int column = 0; column < columns; ++column) {
            const QTextTableCell cell = cellOf(row, column);
            if (!cell.isValid()) {
                continue;
            }
            qreal cellHeight = 0;
            for (const QTextBlock &block : blocksOf(document, cell)) {
                cellHeight += layOutBlock(block, document,
                    QPointF(item.columnX[std::size_t(column)], item.rowY[at] + cellHeight),
                    item.columnWidth[std::size_t(column)]);
            }
            height = std::max(height, cellHeight);
        }
        item.rowHeight[at] = height;
        y += height + 2 * padding + border;
    }
    item.height = y;
}

void ReleaseNotesLayout::place() const
{
    if (m_placed) {
        return;
    }
    const qreal margin = document()->documentMargin();
    m_tops.resize(m_items.size());
    qreal y = margin;
    qreal bottomMargin = 0;
    bool first = true;
    for (std::size_t index = 0; index < m_items.size(); ++index) {
        const Item &item = m_items[index];
        if (!item.hidden) {
            y += first ? item.topMargin : std::max(bottomMargin, item.topMargin);
            bottomMargin = item.bottomMargin;
            first = false;
        }
        m_tops[index] = y;
        y += item.height;
    }
    m_height = y + bottomMargin + margin;
    m_placed = true;
}

std::size_t ReleaseNotesLayout::itemAt(qreal y) const
{
    place();
    std::size_t low = 0;
    std::size_t high = m_items.size();
    while (low < high) {
        const std::size_t middle = (low + high) / 2;
        if (m_tops[middle] + m_items[middle].height <= y) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return std::min(low, m_items.empty() ? 0 : m_items.size() - 1);
}

void ReleaseNotesLayout::draw(QPainter *painter, const PaintContext &context)
{
    if (m_items.empty()) {
        return;
    }
    const QRectF clip = context.clip.isValid() ? context.clip : everythingBelow(0);
    const QFont font = document()->defaultFont();
    painter->save();
    painter->setPen(context.palette.color(QPalette::Text));
    QElapsedTimer clock;
    clock.start();
    const std::size_t first = itemAt(clip.top());
    const std::size_t anchor = anchorAt(m_viewTop);
    // Laying out what is drawn moves what follows it, except for what lies above the top of
    // the view: that keeps where it ends, the view where it is, and what lies above it moves
    // up (the view follows on the next turn, viewMoved()).
    std::vector<qreal> raised;
    qreal above = 0;
    for (std::size_t index = std::min(anchor, m_items.size()); index-- > first;) {
        const qreal before = m_items[index].height;
        layOut(index);
        above += m_items[index].height - before;
        raised.push_back(above);
    }
    std::reverse(raised.begin(), raised.end());
    if (above != 0) {
        m_pendingShift += above;
    }
    qreal moved = 0;
    bool changed = above != 0;
    bool laidOutAny = !raised.empty();
    for (std::size_t index = first; index < m_items.size(); ++index) {
        const qreal top = index < anchor ? m_tops[index] - raised[index - first] : m_tops[index] + moved;
        if (top > clip.bottom()) {
            break;
        }
        Item &item = m_items[index];
        if (!item.laidOut) {
            if (laidOutAny && clock.nsecsElapsed() >= stepNanoseconds) {
                // What else is to be drawn is laid out and drawn on the next turns, a piece
                // each: the view shows much text that costs much to lay out (emoji, say).
                m_drawUnfinished = true;
                m_steps.start(0, this);
                break;
            }
            const qreal before = item.height;
            layOut(index);
            laidOutAny = true;
            moved += item.height - before;
            changed = changed || item.height != before;
        }
        if (item.hidden) {
            continue;
        }
        const auto drawBlock = [&](const QTextBlock &block) {
            QList<QTextLayout::FormatRange> selections;
            const int start = block.position();
            const int length = block.length();
            for (const Selection &selection : context.selections) {
                const int from = std::max(selection.cursor.selectionStart() - start, 0);
                const int to = std::min(selection.cursor.selectionEnd() - start, length);
                if (from < to) {
                    selections.append(QTextLayout::FormatRange{from, to - from, selection.format});
                }
            }
            const QPointF origin(0, top);
            block.layout()->draw(painter, origin, selections, clip);
            drawBullet(painter, block, origin + block.layout()->position(), font);
            if (context.cursorPosition >= start && context.cursorPosition < start + length) {
                block.layout()->drawCursor(painter, origin, context.cursorPosition - start);
            }
        };
        if (!item.table) {
            drawBlock(item.block);
            continue;
        }
        const QTextTableFormat format = item.table->format();
        const qreal border = format.border();
        const qreal padding = format.cellPadding();
        if (border > 0) {
            // The frame of every cell, each line once.
            painter->save();
            painter->setPen(Qt::NoPen);
            painter->setBrush(context.palette.color(QPalette::Mid));
            const qreal left = document()->documentMargin();
            painter->drawRect(QRectF(left, top, item.width, border));
            for (std::size_t row = 0; row < item.rowY.size(); ++row) {
                painter->drawRect(
                    QRectF(left, top + item.rowY[row] + item.rowHeight[row] + padding, item.width, border));
            }
            painter->drawRect(QRectF(left, top, border, item.height));
            for (std::size_t column = 0; column < item.columnX.size(); ++column) {
                painter->drawRect(
                    QRectF(item.columnX[column] + item.columnWidth[column] + padding, top, border, item.height));
            }
            painter->restore();
        }
        for (int row = 0; row < item.table->rows(); ++row) {
            for (int column = 0; column < item.table->columns(); ++column) {
                const QTextTableCell cell = item.table->cellAt(row, column);
                if (cell.row() != row || cell.column() != column) {
                    continue;
                }
                for (const QTextBlock &block : blocksOf(*document(), cell)) {
                    drawBlock(block);
                }
            }
        }
    }
    painter->restore();
    if (changed) {
        // The new size goes to the view on the next turn, not inside its painting.
        m_steps.start(0, this);
    }
}

int ReleaseNotesLayout::hitTest(const QPointF &point, Qt::HitTestAccuracy accuracy) const
{
    if (m_items.empty()) {
        return accuracy == Qt::ExactHit ? -1 : 0;
    }
    std::size_t index = itemAt(point.y());
    // A hidden item takes no space: what is hit is next to it.
    while (m_items[index].hidden && index + 1 < m_items.size()) {
        ++index;
    }
    while (m_items[index].hidden && index > 0) {
        --index;
    }
    layOut(index);
    place();
    const Item &item = m_items[index];
    const QPointF origin(0, m_tops[index]);
    if (!item.table) {
        return hitInBlock(item.block, point, origin + item.block.layout()->position(), accuracy);
    }
    const qreal y = point.y() - m_tops[index];
    std::size_t row = 0;
    while (row + 1 < item.rowY.size() && item.rowY[row + 1] <= y) {
        ++row;
    }
    std::size_t column = 0;
    while (column + 1 < item.columnX.size() && item.columnX[column + 1] <= point.x()) {
        ++column;
    }
    const QTextTableCell cell = item.table->cellAt(int(row), int(column));
    if (!cell.isValid()) {
        return accuracy == Qt::ExactHit ? -1 : item.table->firstPosition();
    }
    const std::vector<QTextBlock> blocks = blocksOf(*document(), cell);
    const QTextBlock *hit = &blocks.front();
    for (const QTextBlock &block : blocks) {
        if (block.layout()->position().y() + m_tops[index] <= point.y()) {
            hit = &block;
        }
    }
    return hitInBlock(*hit, point, origin + hit->layout()->position(), accuracy);
}

int ReleaseNotesLayout::pageCount() const
{
    return 1;
}

QSizeF ReleaseNotesLayout::documentSize() const
{
    place();
    const qreal page = document()->pageSize().width();
    return QSizeF(std::max(page, m_widest + 2 * document()->documentMargin()), m_height);
}

QRectF ReleaseNotesLayout::frameBoundingRect(QTextFrame *frame) const
{
    if (frame == document()->rootFrame()) {
        return QRectF(QPointF(0, 0), documentSize());
    }
    for (std::size_t index = 0; index < m_items.size(); ++index) {
        if (m_items[index].table == frame) {
            layOut(index);
            place();
            return QRectF(document()->documentMargin(), m_tops[index], m_items[index].width, m_items[index].height);
        }
    }
    return {};
}

QRectF ReleaseNotesLayout::blockBoundingRect(const QTextBlock &block) const
{
    if (!block.isValid() || block.document() != document()
        || std::size_t(block.blockNumber()) >= m_itemOfBlock.size()) {
        return {};
    }
    const std::size_t index = m_itemOfBlock[std::size_t(block.blockNumber())];
    if (index >= m_items.size()) {
        return {};
    }
    layOut(index);
    place();
    const QTextLayout *layout = block.layout();
    return QRectF(layout->position() + QPointF(0, m_tops[index]), layout->boundingRect().size());
}

void ReleaseNotesLayout::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_steps.timerId()) {
        step();
        return;
    }
    QAbstractTextDocumentLayout::timerEvent(event);
}

std::size_t ReleaseNotesLayout::anchorAt(qreal y) const
{
    std::size_t anchor = itemAt(y);
    if (!m_items.empty() && m_tops[anchor] < y - 0.5 && anchor + 1 < m_items.size()) {
        ++anchor;
    }
    return anchor;
}

void ReleaseNotesLayout::step()
{
    place();
    // What the view shows at its top stays there: the first item that starts there or below
    // it (its own height does not matter, only those of the items above it). What was drawn
    // above it moved it already.
    qreal distance = std::exchange(m_pendingShift, 0);
    m_viewTop += distance;
    const std::size_t anchor = anchorAt(m_viewTop);
    const qreal anchorOffset = m_items.empty() ? 0 : m_viewTop - m_tops[anchor];
    QElapsedTimer clock;
    clock.start();
    std::size_t firstLaidOut = m_items.size();
    while (m_next < m_items.size() && clock.nsecsElapsed() < stepNanoseconds) {
        if (!m_items[m_next].laidOut) {
            firstLaidOut = std::min(firstLaidOut, m_next);
        }
        layOut(m_next++);
    }
    place();
    if (!m_items.empty()) {
        const qreal moved = m_tops[anchor] + anchorOffset - m_viewTop;
        m_viewTop += moved;
        distance += moved;
    }
    if (std::abs(distance) < 0.01) {
        distance = 0;
    }
    // The view moves up before the document shrinks, and down after it grows, so that its
    // scroll range holds it in between.
    if (distance < 0) {
        emit viewMoved(distance);
    }
    emit documentSizeChanged(documentSize());
    if (distance > 0) {
        emit viewMoved(distance);
    }
    if (std::exchange(m_drawUnfinished, false)) {
        emit update(everythingBelow(0));
    } else if (firstLaidOut < m_items.size()) {
        emit update(everythingBelow(m_tops[firstLaidOut]));
    }
    if (m_next >= m_items.size()) {
        m_steps.stop();
        if (!m_complete) {
            m_complete = true;
            emit completed();
        }
    }
}

} // namespace veyra
