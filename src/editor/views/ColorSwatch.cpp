#include "editor/views/ColorSwatch.h"

#include "editor/style/EditorStyle.h"

#include <QPainter>

namespace veyra {

ColorSwatch::ColorSwatch(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(30, 22);
}

void ColorSwatch::setColor(const QColor &color)
{
    if (m_color != color) {
        m_color = color;
        update();
    }
}

void ColorSwatch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(m_color);
    painter.setPen(QPen(EditorColors::secondaryText(palette()), 1));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
}

} // namespace veyra
