#include "brand/BrandIcons.h"

#include <QPainter>
#include <QSvgRenderer>

namespace veyra {

QIcon veyraApplicationIcon()
{
    return QIcon(QStringLiteral(":/icons/AppIcon.svg"));
}

QPixmap statusMenuIconTemplate(QSize size, const QColor &colour, qreal devicePixelRatio)
{
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/icons/StatusMenuIcon.svg"));
    if (!renderer.isValid()) {
        return pixmap;
    }
    const QSizeF fitted = QSizeF(renderer.defaultSize()).scaled(QSizeF(size), Qt::KeepAspectRatio);
    const QRectF target(QPointF((size.width() - fitted.width()) / 2, (size.height() - fitted.height()) / 2), fitted);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, target);
    // Keep the shape's coverage, take the colour of the caller.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRectF(QPointF(0, 0), QSizeF(size)), colour);
    return pixmap;
}

} // namespace veyra
