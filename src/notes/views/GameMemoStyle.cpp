#include "notes/views/GameMemoStyle.h"

#include <QApplication>
#include <QWidget>

namespace veyra::gameMemoStyle {

namespace {
QFont scaled(const QFont &base, double factor, QFont::Weight weight)
{
    QFont font = base;
    if (base.pointSizeF() > 0) {
        font.setPointSizeF(base.pointSizeF() * factor);
    } else if (base.pixelSize() > 0) {
        font.setPixelSize(std::max(1, qRound(base.pixelSize() * factor)));
    }
    font.setWeight(weight);
    return font;
}

QColor faded(const QColor &color, double alpha)
{
    QColor result = color;
    result.setAlphaF(alpha);
    return result;
}

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}
} // namespace

QFont font(TextStyle style, const QFont &base)
{
    switch (style) {
    case TextStyle::title2:
        return scaled(base, 1.45, QFont::DemiBold);
    case TextStyle::headline:
        return scaled(base, 1.0, QFont::Bold);
    case TextStyle::body:
        return scaled(base, 1.0, QFont::Normal);
    case TextStyle::caption:
        return scaled(base, 0.88, QFont::Normal);
    case TextStyle::caption2:
        break;
    }
    return scaled(base, 0.8, QFont::Normal);
}

void applyFont(QWidget *widget, TextStyle style)
{
    widget->setFont(font(style, QApplication::font()));
}

QColor secondaryText(const QPalette &palette)
{
    return faded(palette.color(QPalette::WindowText), 0.62);
}

QColor tertiaryText(const QPalette &palette)
{
    return faded(palette.color(QPalette::WindowText), 0.45);
}

void applyTextColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

QColor quaternaryFill(const QPalette &palette)
{
    return faded(palette.color(QPalette::WindowText), isDark(palette) ? 0.10 : 0.06);
}

QColor errorText(const QPalette &palette)
{
    return isDark(palette) ? QColor(0xff, 0x6b, 0x61) : QColor(0xc6, 0x28, 0x28);
}

} // namespace veyra::gameMemoStyle
