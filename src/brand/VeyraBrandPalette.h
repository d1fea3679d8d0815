#pragma once

#include <QColor>

namespace veyra {

// The brand's six colours. Each is made once, on first use, and never changes.
class VeyraBrandPalette
{
public:
    // Accent and tint; the background's glow; the update button's lower gradient end.
    static const QColor &orange();
    // The orange signal; the current setup step; the update button's upper gradient end.
    static const QColor &brightOrange();
    // Text and symbols on an orange button.
    static const QColor &orangeInk();
    // The deepest background.
    static const QColor &canvas();
    // Cards on the brand background.
    static const QColor &surface();
    // Secondary text on dark backgrounds: white at reduced opacity.
    static const QColor &secondaryText();
};

} // namespace veyra
