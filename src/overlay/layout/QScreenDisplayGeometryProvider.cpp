#include "overlay/layout/QScreenDisplayGeometryProvider.h"

#include <QGuiApplication>
#include <QScreen>

namespace veyra {

QVector<DisplayGeometry> QScreenDisplayGeometryProvider::allDisplays() const
{
    const ScreenSpace space = screenSpace();
    QVector<DisplayGeometry> displays;
    for (const QScreen *screen : QGuiApplication::screens()) {
        displays.append(displayGeometry(*screen, space));
    }
    return displays;
}

std::optional<QRectF> QScreenDisplayGeometryProvider::mainVisibleFrame() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return std::nullopt;
    }
    return screenSpace().fromGlobal(QRectF(screen->availableGeometry()));
}

ScreenSpace QScreenDisplayGeometryProvider::screenSpace() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return ScreenSpace(0);
    }
    const QRect geometry = screen->geometry();
    return ScreenSpace(geometry.y() + geometry.height());
}

DisplayGeometry QScreenDisplayGeometryProvider::displayGeometry(const QScreen &screen, const ScreenSpace &space)
{
    const QRectF geometry(screen.geometry());
    const double ratio = screen.devicePixelRatio();
    return {QRectF(geometry.topLeft(), geometry.size() * ratio), space.fromGlobal(geometry),
        space.fromGlobal(QRectF(screen.availableGeometry()))};
}

} // namespace veyra
