#pragma once

#include "overlay/layout/DisplayGeometryProviding.h"

class QScreen;

namespace veyra {

// The displays of QGuiApplication::screens(). A display's bounds in root coordinates are
// its geometry with the size scaled by its device pixel ratio (Qt keeps a screen's top-left
// corner at its native position); its visible frame is Qt's available geometry (the
// desktop's work area).
class QScreenDisplayGeometryProvider : public DisplayGeometryProviding
{
public:
    QVector<DisplayGeometry> allDisplays() const override;
    std::optional<QRectF> mainVisibleFrame() const override;
    ScreenSpace screenSpace() const override;

    static DisplayGeometry displayGeometry(const QScreen &screen, const ScreenSpace &space);
};

} // namespace veyra
