#include "overlay/views/OverlayStyle.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

namespace veyra {

QColor whiteAt(double opacity)
{
    QColor color(Qt::white);
    color.setAlphaF(static_cast<float>(opacity));
    return color;
}

void setForeground(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

QFont styledFont(BrandTextStyle style, const QWidget *widget, QFont::Weight weight)
{
    QFont font = brandTextFont(style, widget->font());
    if (weight != QFont::Normal) {
        font.setWeight(weight);
    }
    return font;
}

QFont sizedFont(int points, QFont::Weight weight, const QWidget *widget)
{
    QFont font = widget->font();
    font.setPixelSize(points);
    font.setWeight(weight);
    return font;
}

QLabel *plainLabel(const QString &text, const QFont &font, const QColor &color, QWidget *parent,
    const QString &objectName, bool wordWrap)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setFont(font);
    label->setWordWrap(wordWrap);
    label->setObjectName(objectName);
    setForeground(label, color);
    return label;
}

void paintPlate(QPainter &painter, const QRect &bounds, double radius, double fillOpacity, double borderOpacity)
{
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath plate;
    plate.addRoundedRect(QRectF(bounds).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    QColor fill(Qt::black);
    fill.setAlphaF(static_cast<float>(fillOpacity));
    painter.fillPath(plate, fill);
    painter.setPen(QPen(whiteAt(borderOpacity), 1));
    painter.drawPath(plate);
}

} // namespace veyra
