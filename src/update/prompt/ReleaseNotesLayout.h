#pragma once

#include <QAbstractTextDocumentLayout>
#include <QBasicTimer>

#include <cstddef>
#include <vector>

class QTextTable;

namespace veyra {

// Lays out a document of release notes (makeReleaseNotesDocument(): blocks of text, lists
// and tables of text, nothing else) a piece at a time, so that no turn of the event loop, a
// resize's neither, lays out long notes whole: what is drawn, hit or asked for is laid out
// when it is, the rest from the top on later turns, a few milliseconds' worth each (a block,
// which is a line of a paragraph, or a table is the least laid out at once: their weight is
// bounded, maximumReleaseNotesBlockWeight). Until then what is not laid out at the current
// width counts with the height it had at the last, scaled to the width, or one estimated from
// its text, and the view keeps showing what it showed at its top (viewMoved()).
class ReleaseNotesLayout : public QAbstractTextDocumentLayout
{
    Q_OBJECT

public:
    explicit ReleaseNotesLayout(QTextDocument *document);
    ~ReleaseNotesLayout() override;

    void draw(QPainter *painter, const PaintContext &context) override;
    int hitTest(const QPointF &point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override;
    QSizeF documentSize() const override;
    QRectF frameBoundingRect(QTextFrame *frame) const override;
    QRectF blockBoundingRect(const QTextBlock &block) const override;

    // Whether all of the document is laid out at its current width.
    bool isComplete() const { return m_complete; }

    // Where the view shows the document from (the top it shows, in document coordinates).
    void setViewTop(qreal top) { m_viewTop = top; }
    qreal viewTop() const { return m_viewTop; }

signals:
    // All of the document is laid out at its current width.
    void completed();
    // What the view showed at its top moved by `distance` (down when positive) as what lies
    // above it was laid out.
    void viewMoved(qreal distance);

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;
    void timerEvent(QTimerEvent *event) override;

private:
    struct Item;

    void buildItems();
    qreal contentWidth() const;
    qreal estimatedHeight(const Item &item) const;
    // Lays the item out at the current width, unless it is.
    void layOut(std::size_t index) const;
    void layOutTable(Item &item) const;
    // The y of every item's top, and the document's height.
    void place() const;
    // The first item whose bottom is below `y` (the last one when none is).
    std::size_t itemAt(qreal y) const;
    // The first item that starts at `y` or below it (the last one when none does).
    std::size_t anchorAt(qreal y) const;
    // Lays out some of what is not laid out yet, from the top.
    void step();

    mutable std::vector<Item> m_items;
    // Of the document's font: what estimates take a line and a character for.
    qreal m_lineSpacing = 0;
    qreal m_characterWidth = 1;
    // What a character of Chinese, Japanese or Korean or an emoji is estimated at.
    qreal m_wideCharacterWidth = 1;
    // Of every block of the document, the item that lays it out.
    std::vector<std::size_t> m_itemOfBlock;
    mutable std::vector<qreal> m_tops;
    mutable qreal m_height = 0;
    mutable qreal m_widest = 0;
    mutable bool m_placed = false;
    // The width the items were laid out at last.
    qreal m_width = -1;
    int m_blockCount = -1;
    int m_characterCount = -1;
    // The first item that may not be laid out yet.
    std::size_t m_next = 0;
    bool m_complete = false;
    qreal m_viewTop = 0;
    // How far what the view shows moved since the last turn as what was drawn above it was
    // laid out.
    qreal m_pendingShift = 0;
    // Whether the last drawing left what it was to draw unfinished (drawn on the next turn).
    bool m_drawUnfinished = false;
    QBasicTimer m_steps;
};

} // namespace veyra
