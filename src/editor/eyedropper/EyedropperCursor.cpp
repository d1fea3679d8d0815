#include "editor/eyedropper/EyedropperCursor.h"

#include "brand/BrandIcons.h"
#include "editor/style/EditorStyle.h"

#include <QPainter>

namespace veyra {

namespace {

// The symbol's tip lies at (2.1, 21.9) of its 24-point drawing; drawn into the rectangle
// (2, 2, 20, 20) of the cursor image that is (3.75, 20.25). The hot spot is the pixel
// under the tip, so the sample is taken where the tip points.
constexpr int cursorSide = 24;
constexpr int hotSpotX = 3;
constexpr int hotSpotY = 20;

QCursor makeEyedropperCursor()
{
    const QPixmap black = symbolPixmap(QStringLiteral("eyedropper"), QSize(20, 20), Qt::black);
    const QPixmap white = symbolPixmap(QStringLiteral("eyedropper"), QSize(20, 20), Qt::white);
    if (black.isNull() || white.isNull()) {
        return QCursor(Qt::CrossCursor);
    }
    QPixmap image(cursorSide, cursorSide);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    // A rim of white around the black symbol.
    for (const QPoint offset : {QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1), QPoint(0, 1), QPoint(-1, -1), QPoint(1, 1),
             QPoint(-1, 1), QPoint(1, -1)}) {
        painter.drawPixmap(QPoint(2, 2) + offset, white);
    }
    painter.drawPixmap(QPoint(2, 2), black);
    painter.end();
    return QCursor(image, hotSpotX, hotSpotY);
}

} // namespace

const QCursor &eyedropperCursor()
{
    static const QCursor cursor = makeEyedropperCursor();
    return cursor;
}

} // namespace veyra
