#pragma once

#include <QWidget>

namespace veyra {

// A transient popover: a popup window around one content widget, opened next to the
// strip item it points at (above it, or below it when there is no room above), kept
// inside the screen's work area. A click outside it or Escape closes it (it is then only
// hidden; its presenter deletes it).
class OverlayPopover : public QWidget
{
    Q_OBJECT

public:
    static constexpr int gap = 6;

    explicit OverlayPopover(QWidget *content);

    QWidget *content() const { return m_content; }

    // Shows the popover next to the anchor's whole bounds.
    void showAt(const QWidget *anchor);

    // Where a popover of a size goes next to an item (Qt's coordinates) in a work area.
    static QPoint placement(const QRect &item, const QSize &size, const QRect &workArea);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QWidget *m_content;
};

} // namespace veyra
