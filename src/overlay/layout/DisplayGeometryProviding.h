#pragma once

#include "overlay/layout/DisplayGeometry.h"

#include <QVector>

#include <optional>

namespace veyra {

// The displays the overlay may stand on, read afresh on every call.
class DisplayGeometryProviding
{
public:
    virtual ~DisplayGeometryProviding() = default;

    // One geometry per display, in the order of the system's screen list (the main
    // display first).
    virtual QVector<DisplayGeometry> allDisplays() const = 0;
    // The main display's visible frame; nothing without a display.
    virtual std::optional<QRectF> mainVisibleFrame() const = 0;
    // The mirror between Qt's global coordinates and screen space.
    virtual ScreenSpace screenSpace() const = 0;
};

} // namespace veyra
