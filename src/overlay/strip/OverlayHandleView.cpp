#include "overlay/strip/OverlayHandleView.h"

#include <QMouseEvent>

namespace veyra {

void OverlayHandleView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || m_dragging) {
        return;
    }
    m_dragging = true;
    Q_EMIT interacted();
    Q_EMIT began(event->globalPosition());
}

void OverlayHandleView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_dragging) {
        return;
    }
    Q_EMIT interacted();
    Q_EMIT changed(event->globalPosition());
}

void OverlayHandleView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_dragging) {
        return;
    }
    m_dragging = false;
    Q_EMIT interacted();
    Q_EMIT ended();
}

} // namespace veyra
