#include "settings/style/SettingsStyle.h"

#include <QLabel>

namespace veyra::settingsStyle {

namespace {
QColor faded(const QPalette &palette, qreal opacity)
{
    QColor colour = palette.color(QPalette::WindowText);
    colour.setAlphaF(static_cast<float>(opacity));
    return colour;
}
} // namespace

QColor secondaryText(const QPalette &palette)
{
    return faded(palette, 0.6);
}

QColor tertiaryText(const QPalette &palette)
{
    return faded(palette, 0.42);
}

QColor primary(const QPalette &palette, qreal opacity)
{
    return faded(palette, opacity);
}

QColor errorText()
{
    return {215, 0, 21};
}

QFont caption2(const QFont &base)
{
    QFont font = base;
    const qreal points = base.pointSizeF() > 0 ? base.pointSizeF() : 10.0;
    font.setPointSizeF(points * 0.8);
    return font;
}

QFont sectionHeader(const QFont &base)
{
    QFont font = base;
    font.setPixelSize(25);
    font.setWeight(QFont::DemiBold);
    return font;
}

void setTextColor(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    label->setPalette(palette);
}

} // namespace veyra::settingsStyle
