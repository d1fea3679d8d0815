#pragma once

#include "overlay/strip/OverlayControlItemView.h"

#include <QPointF>

namespace veyra {

// A strip item that is dragged: it reports the pointer's global position (Qt's
// coordinates) when pressed, on every drag step and, without a position, when released.
// The position comes from the pointer, not from the item, which may move with the panel.
class OverlayHandleView : public OverlayControlItemView
{
    Q_OBJECT

public:
    using OverlayControlItemView::OverlayControlItemView;

Q_SIGNALS:
    void began(QPointF globalPosition);
    void changed(QPointF globalPosition);
    void ended();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_dragging = false;
};

} // namespace veyra
