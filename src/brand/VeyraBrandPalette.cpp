#include "brand/VeyraBrandPalette.h"

namespace veyra {

const QColor &VeyraBrandPalette::orange()
{
    static const QColor colour = QColor::fromRgbF(0.95f, 0.47f, 0.00f);
    return colour;
}

const QColor &VeyraBrandPalette::brightOrange()
{
    static const QColor colour = QColor::fromRgbF(1.00f, 0.57f, 0.18f);
    return colour;
}

const QColor &VeyraBrandPalette::orangeInk()
{
    static const QColor colour = QColor::fromRgbF(0.15f, 0.08f, 0.03f);
    return colour;
}

const QColor &VeyraBrandPalette::canvas()
{
    static const QColor colour = QColor::fromRgbF(0.06f, 0.08f, 0.11f);
    return colour;
}

const QColor &VeyraBrandPalette::surface()
{
    static const QColor colour = QColor::fromRgbF(0.10f, 0.12f, 0.16f);
    return colour;
}

const QColor &VeyraBrandPalette::secondaryText()
{
    static const QColor colour = QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.66f);
    return colour;
}

} // namespace veyra
