#include "editor/eyedropper/BackgroundPickerInteractionView.h"

#include "editor/eyedropper/EyedropperCursor.h"

#include <QMouseEvent>

namespace veyra {

BackgroundPickerInteractionView::BackgroundPickerInteractionView(QWidget *parent)
    : QWidget(parent)
{ }

void BackgroundPickerInteractionView::setActive(bool active)
{
    if (m_isActive == active) {
        return;
    }
    m_isActive = active;
    if (active) {
        setCursor(eyedropperCursor());
    } else {
        unsetCursor();
    }
}

void BackgroundPickerInteractionView::mousePressEvent(QMouseEvent *event)
{
    // Taking the press is what brings the release here; the pick happens on release.
    if (m_isActive && event->button() == Qt::LeftButton) {
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void BackgroundPickerInteractionView::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_isActive || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    // A copy: picking changes the layer, which hands over a new action.
    const PickHandler onPick = m_onPick;
    onPick(event->position());
}

} // namespace veyra
