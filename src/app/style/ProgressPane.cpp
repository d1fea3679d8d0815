#include "app/style/ProgressPane.h"

#include "app/style/ScreenStyle.h"
#include "brand/ProgressSpinner.h"
#include "brand/VeyraBrandPalette.h"

#include <QLabel>
#include <QVBoxLayout>

namespace veyra {

namespace {

constexpr int indicatorDiameter = 28;

} // namespace

ProgressPane::ProgressPane(const QString &objectName, QWidget *parent)
    : QWidget(parent)
    , m_indicator(new ProgressSpinner(indicatorDiameter, this))
    , m_label(screenStyle::plainLabel(BrandTextStyle::callout, VeyraBrandPalette::secondaryText(), this))
{
    setObjectName(objectName);
    m_indicator->setColor(VeyraBrandPalette::orange());
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(12);
    layout->addStretch(1);
    layout->addWidget(m_indicator, 0, Qt::AlignHCenter);
    layout->addWidget(m_label);
    layout->addStretch(1);
}

QString ProgressPane::text() const
{
    return m_label->text();
}

void ProgressPane::setText(const QString &text)
{
    m_label->setText(text);
    setAccessibleName(text);
}

} // namespace veyra
