#include "settings/window/ResetSettingsButtonStyle.h"

#include "brand/VeyraBrandPalette.h"
#include "settings/style/SettingsStyle.h"

namespace veyra {

namespace {
QColor orangeAt(qreal opacity)
{
    QColor colour = VeyraBrandPalette::orange();
    colour.setAlphaF(static_cast<float>(opacity));
    return colour;
}
} // namespace

QColor ResetSettingsButtonStyle::fill(bool isPressed, const QPalette &palette) const
{
    if (isPressed) {
        return orangeAt(0.16);
    }
    return isHovered ? orangeAt(0.1) : settingsStyle::primary(palette, 0.06);
}

QColor ResetSettingsButtonStyle::border(bool isPressed, const QPalette &palette) const
{
    if (isPressed) {
        return orangeAt(0.55);
    }
    return isHovered ? orangeAt(0.35) : settingsStyle::primary(palette, 0.12);
}

} // namespace veyra
