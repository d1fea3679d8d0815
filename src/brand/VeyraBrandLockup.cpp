#include "brand/VeyraBrandLockup.h"

#include "brand/BrandTextStyles.h"
#include "brand/VeyraAppIcon.h"

#include <QHBoxLayout>
#include <QLabel>

namespace veyra {

VeyraBrandLockup::VeyraBrandLockup(const QString &title, qreal iconSize, QWidget *parent)
    : QWidget(parent)
    , m_icon(new VeyraAppIcon(iconSize, this))
    , m_title(new QLabel(title, this))
{
    m_title->setTextFormat(Qt::PlainText);
    m_title->setFont(brandTextFont(BrandTextStyle::headline, font()));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    layout->addWidget(m_icon, 0, Qt::AlignVCenter);
    layout->addWidget(m_title, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    setAccessibleName(VeyraAppIcon::accessibilityLabel() + QStringLiteral(", ") + title);
}

QString VeyraBrandLockup::title() const
{
    return m_title->text();
}

} // namespace veyra
