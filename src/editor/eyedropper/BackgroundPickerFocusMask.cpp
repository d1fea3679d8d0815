#include "editor/eyedropper/BackgroundPickerFocusMask.h"

#include <QPainter>
#include <QPainterPath>

namespace veyra {

BackgroundPickerFocusMask::BackgroundPickerFocusMask(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void BackgroundPickerFocusMask::setFocusedRect(const QRectF &rect)
{
    if (m_focusedRect != rect) {
        m_focusedRect = rect;
        update();
    }
}

void BackgroundPickerFocusMask::paintEvent(QPaintEvent *)
{
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.addRect(QRectF(rect()));
    path.addRect(m_focusedRect.translated(-QPointF(pos())));
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor shade(Qt::black);
    shade.setAlphaF(0.46F);
    painter.fillPath(path, shade);
}

} // namespace veyra
