#include "brand/VeyraBrandBackground.h"

#include "brand/VeyraBrandPalette.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace veyra {

VeyraBrandBackground::VeyraBrandBackground(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

void VeyraBrandBackground::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRectF area = rect();

    QLinearGradient depth(area.topLeft(), area.bottomLeft());
    depth.setColorAt(0.0, QColor::fromRgbF(0.09f, 0.12f, 0.16f));
    depth.setColorAt(1.0, VeyraBrandPalette::canvas());
    painter.fillRect(area, depth);

    const QPointF centre(area.width() * 0.5, area.height() * glowCentreY);
    QRadialGradient glow(centre, glowRadius);
    QColor glowColour = VeyraBrandPalette::orange();
    glowColour.setAlphaF(0.17f);
    glow.setColorAt(0.0, glowColour);
    glow.setColorAt(1.0, Qt::transparent);
    painter.fillRect(area, glow);
}

} // namespace veyra
