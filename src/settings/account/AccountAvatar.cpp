#include "settings/account/AccountAvatar.h"

#include "brand/BrandTextStyles.h"
#include "brand/VeyraBrandPalette.h"

#include <QPainter>

namespace veyra {

AccountAvatar::AccountAvatar(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(diameter, diameter);
    setFont(brandTextFont(BrandTextStyle::headline, font()));
}

void AccountAvatar::setInitials(const QString &initials)
{
    if (initials == m_initials) {
        return;
    }
    m_initials = initials;
    update();
}

void AccountAvatar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor disc = VeyraBrandPalette::orange();
    disc.setAlphaF(0.16F);
    painter.setPen(Qt::NoPen);
    painter.setBrush(disc);
    painter.drawEllipse(QRectF(rect()));
    painter.setPen(VeyraBrandPalette::orange());
    painter.drawText(rect(), Qt::AlignCenter, m_initials);
}

} // namespace veyra
