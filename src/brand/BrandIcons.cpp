#include "brand/BrandIcons.h"

#include <QHash>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>
#include <utility>

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

QIcon tintedSymbolIcon(const QString &name, QSize size, const SymbolIconColours &colours)
{
    const auto colourKey = [](const QColor &colour) {
        return colour.isValid() ? QString::number(colour.rgba(), 16) : QStringLiteral("-");
    };
    const QString key = QStringLiteral("%1 %2x%3 %4 %5 %6")
                            .arg(name)
                            .arg(size.width())
                            .arg(size.height())
                            .arg(colourKey(colours.normal), colourKey(colours.active), colourKey(colours.disabled));
    // A few symbols in a few colours; never destroyed, as icons must not outlive the
    // application object.
    static auto *icons = new QHash<QString, QIcon>;
    if (const auto found = icons->constFind(key); found != icons->constEnd()) {
        return *found;
    }
    QIcon icon;
    for (const qreal ratio : {1.0, 2.0}) {
        for (const auto &[mode, colour] : {std::pair{QIcon::Normal, colours.normal},
                 std::pair{QIcon::Active, colours.active}, std::pair{QIcon::Disabled, colours.disabled}}) {
            if (colour.isValid()) {
                icon.addPixmap(symbolPixmap(name, size, colour, ratio), mode);
            }
        }
    }
    icons->insert(key, icon);
    return icon;
}

QPixmap statusMenuIconTemplate(QSize size, const QColor &colour, qreal devicePixelRatio)
{
    return symbolPixmap(QStringLiteral("StatusMenuIcon"), size, colour, devicePixelRatio);
}

} // namespace veyra
