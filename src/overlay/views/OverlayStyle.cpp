#include "overlay/views/OverlayStyle.h"

#include <QLabel>
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

} // namespace veyra
