#include "editor/eyedropper/BackgroundPickerInteractionRegion.h"

#include <QMouseEvent>

namespace veyra {

BackgroundPickerInteractionRegion::BackgroundPickerInteractionRegion(QWidget *parent)
    : QWidget(parent)
    , m_view(new BackgroundPickerInteractionView(this))
{
    setObjectName(QStringLiteral("capture-background-picker-canvas"));
}

void BackgroundPickerInteractionRegion::updateInteraction(
    bool isActive, BackgroundPickerInteractionView::PickHandler onPick)
{
    m_onPick = onPick;
    m_view->setActive(isActive);
    m_view->setOnPick(std::move(onPick));
}

void BackgroundPickerInteractionRegion::dismantle()
{
    m_view->setActive(false);
    m_view->unsetCursor();
}

void BackgroundPickerInteractionRegion::resizeEvent(QResizeEvent *)
{
    m_view->setGeometry(rect());
}

void BackgroundPickerInteractionRegion::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void BackgroundPickerInteractionRegion::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint())) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    // A copy: picking changes the layer, which hands over a new action.
    const BackgroundPickerInteractionView::PickHandler onPick = m_onPick;
    onPick(event->position());
}

} // namespace veyra
