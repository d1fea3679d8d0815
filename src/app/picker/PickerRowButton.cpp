#include "app/picker/PickerRowButton.h"

#include "app/style/ScreenStyle.h"
#include "brand/VeyraBrandPalette.h"

#include <QFocusEvent>
#include <QPainter>
#include <QPainterPath>

namespace veyra {

PickerRowButton::PickerRowButton(QWidget *parent)
    : QAbstractButton(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void PickerRowButton::paintRowBackground(QPainter &painter)
{
    if (!m_hovered && !isDown() && !m_keyboardFocus) {
        return;
    }
    QPainterPath background;
    background.addRoundedRect(QRectF(rect()).adjusted(2, 1, -2, -1), 6, 6);
    painter.fillPath(background, screenStyle::withOpacity(Qt::white, isDown() ? 0.10 : 0.05));
    if (m_keyboardFocus) {
        painter.setPen(QPen(screenStyle::withOpacity(VeyraBrandPalette::orange(), 0.7), 1));
        painter.drawPath(background);
    }
}

void PickerRowButton::enterEvent(QEnterEvent *event)
{
    m_hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void PickerRowButton::leaveEvent(QEvent *event)
{
    m_hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void PickerRowButton::focusInEvent(QFocusEvent *event)
{
    m_keyboardFocus = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    update();
    QAbstractButton::focusInEvent(event);
}

void PickerRowButton::focusOutEvent(QFocusEvent *event)
{
    m_keyboardFocus = false;
    update();
    QAbstractButton::focusOutEvent(event);
}

} // namespace veyra
