#include "brand/VeyraAppIcon.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>

#include <cmath>

namespace veyra {

VeyraAppIcon::VeyraAppIcon(qreal size, QWidget *parent)
    : QWidget(parent)
    , m_size(size)
{
    const int side = static_cast<int>(std::ceil(size));
    setFixedSize(side, side);
    setAttribute(Qt::WA_TranslucentBackground);
    setAccessibleName(accessibilityLabel());
}

QString VeyraAppIcon::accessibilityLabel()
{
    return QStringLiteral("Vadedu Rezoz Ivo");
}

void VeyraAppIcon::paintEvent(QPaintEvent *)
{
    const QIcon icon = QApplication::windowIcon();
    if (icon.isNull()) {
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const int requested = static_cast<int>(std::ceil(m_size * ratio));
    const QPixmap pixmap = icon.pixmap(QSize(requested, requested));
    if (pixmap.isNull() || pixmap.width() <= 0 || pixmap.height() <= 0) {
        return;
    }
    // Fit, not fill: the longer side spans the square, the other is centred.
    const QSizeF fitted = QSizeF(pixmap.size()).scaled(QSizeF(m_size, m_size), Qt::KeepAspectRatio);
    const QRectF square((width() - m_size) / 2, (height() - m_size) / 2, m_size, m_size);
    const QRectF target(square.center() - QPointF(fitted.width() / 2, fitted.height() / 2), fitted);
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(target, pixmap, QRectF(pixmap.rect()));
}

} // namespace veyra
