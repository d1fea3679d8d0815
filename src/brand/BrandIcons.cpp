#include "brand/BrandIcons.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

namespace veyra {

QIcon veyraApplicationIcon()
{
    // One icon for every caller, never destroyed: the pictures Qt draws of an icon are cached
    // under that icon's own key, so a new icon for each call would keep a new picture each time.
    static const QIcon &icon = *new QIcon(QStringLiteral(":/icons/AppIcon.svg"));
    return icon;
}

QPixmap symbolPixmap(const QString &name, QSize size, const QColor &colour, qreal devicePixelRatio)
{
    QSvgRenderer renderer(QStringLiteral(":/icons/%1.svg").arg(name));
    if (!renderer.isValid() || size.isEmpty()) {
        return {};
    }
    const QSize pixels(static_cast<int>(std::ceil(size.width() * devicePixelRatio)),
        static_cast<int>(std::ceil(size.height() * devicePixelRatio)));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QSizeF fitted = renderer.defaultSize().toSizeF();
    fitted.scale(QSizeF(pixels), Qt::KeepAspectRatio);
    renderer.render(&painter,
        QRectF(QPointF((pixels.width() - fitted.width()) / 2, (pixels.height() - fitted.height()) / 2), fitted));
    // Keep the shape's coverage, take the caller's colour.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), colour);
    painter.end();
    QPixmap pixmap = QPixmap::fromImage(std::move(image));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

QPixmap statusMenuIconTemplate(QSize size, const QColor &colour, qreal devicePixelRatio)
{
    return symbolPixmap(QStringLiteral("StatusMenuIcon"), size, colour, devicePixelRatio);
}

} // namespace veyra
