#pragma once

#include <QColor>
#include <QPalette>

#include <chrono>

namespace veyra {

// The look of the "Reset Settings…" button for one hover state: a rounded fill with a thin
// border, orange while hovered or pressed, and a slight shrink while pressed.
struct ResetSettingsButtonStyle
{
    bool isHovered = false;

    static constexpr qreal cornerRadius = 8.0;
    static constexpr qreal borderWidth = 1.0;
    static constexpr qreal pressedScale = 0.985;
    // Both the hover and the press change ease out over this time.
    static constexpr std::chrono::milliseconds animationDuration{120};

    // Orange at 0.16 while pressed, else orange at 0.1 while hovered, else the primary
    // colour at 0.06.
    QColor fill(bool isPressed, const QPalette &palette) const;
    // Orange at 0.55 while pressed, else orange at 0.35 while hovered, else the primary
    // colour at 0.12.
    QColor border(bool isPressed, const QPalette &palette) const;
    static qreal scale(bool isPressed) { return isPressed ? pressedScale : 1.0; }
};

} // namespace veyra
