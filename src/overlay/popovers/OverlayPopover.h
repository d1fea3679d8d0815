#pragma once

#include <QPointer>
#include <QWidget>

#include <optional>

namespace veyra {

// A transient popover: a popup window around one content widget, opened next to the
// strip item it points at (above it, or below it when there is no room above; where it
// fits whole on neither side, on the side with more room, its content made shorter), kept
// inside the free area of the item's screen. A click outside it or Escape closes it (it is then only
// hidden; its presenter deletes it). The click that closes it is reported with its button,
// so that it can still do what it was meant for (open the popover of another strip item,
// or the strip's menu). It opens with
// the keyboard focus on the content's first field (the widget the content chose, else the
// first in tab order that takes the focus by the keyboard), so that typing goes there at once.
class OverlayPopover : public QWidget
{
    Q_OBJECT

public:
    static constexpr int gap = 6;

    explicit OverlayPopover(QWidget *content);

    QWidget *content() const { return m_content; }
    // The item it points at.
    QWidget *anchor() const { return m_anchor; }

    // Shows the popover next to the anchor's whole bounds.
    void showAt(QWidget *anchor);

    // Where a popover of a size goes next to an item (Qt's coordinates) in a work area, and
    // how large it is there: never taller than the room it is given, unless that is less
    // than leastHeight, nor larger than the work area.
    static QRect placement(const QRect &item, const QSize &size, int leastHeight, const QRect &workArea);

Q_SIGNALS:
    // A click of `button` outside closed it; the button went down there.
    void closedByClick(QPoint globalPosition, Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent *event) override;
    // A press outside is held until its release (the popup keeps the pointer meanwhile),
    // which closes the popover.
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QWidget *firstFocusTarget() const;
    // The least height of the popover: what its content's layout needs.
    int leastHeight() const;

    QWidget *m_content;
    QPointer<QWidget> m_anchor;
    struct OutsidePress
    {
        QPoint globalPosition;
        Qt::MouseButton button;
    };
    std::optional<OutsidePress> m_outsidePress;
};

} // namespace veyra
