#include "settings/overlay/OverlaySettingControl.h"

#include "brand/BrandTextStyles.h"
#include "foundation/language/LocalizedString.h"
#include "overlay/settings/OverlaySettingsModel.h"
#include "settings/style/SettingsStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>

namespace veyra {

namespace {
QLabel *plainLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}
} // namespace

OverlaySettingControl::OverlaySettingControl(OverlaySetting setting, OverlaySettingsModel *model, QWidget *parent)
    : QWidget(parent)
    , m_setting(setting)
    , m_model(model)
    , m_title(plainLabel(this))
    , m_value(plainLabel(this))
    , m_slider(new QSlider(Qt::Horizontal, this))
    , m_lowerBound(plainLabel(this))
    , m_upperBound(plainLabel(this))
{
    const OverlaySettingDescription &description = describe(setting);
    m_value->setObjectName(QString::fromLatin1(description.valueObjectName));
    settingsStyle::setTextColor(m_value, settingsStyle::secondaryText(palette()));
    m_value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    // The slider moves in whole steps: position n is the lower bound plus n steps.
    m_slider->setObjectName(QString::fromLatin1(description.sliderObjectName));
    m_slider->setRange(0, (description.upperBound - description.lowerBound) / description.step);
    m_slider->setSingleStep(1);
    m_slider->setPageStep(1);

    const QFont caption = brandTextFont(BrandTextStyle::caption, font());
    for (QLabel *bound : {m_lowerBound, m_upperBound}) {
        bound->setFont(caption);
        settingsStyle::setTextColor(bound, settingsStyle::tertiaryText(palette()));
    }

    auto *valueRow = new QHBoxLayout;
    valueRow->setContentsMargins(0, 0, 0, 0);
    valueRow->addWidget(m_title, 1);
    valueRow->addWidget(m_value, 0);
    auto *rangeRow = new QHBoxLayout;
    rangeRow->setContentsMargins(0, 0, 0, 0);
    rangeRow->addWidget(m_lowerBound);
    rangeRow->addStretch(1);
    rangeRow->addWidget(m_upperBound);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addLayout(valueRow);
    layout->addWidget(m_slider);
    layout->addLayout(rangeRow);

    connect(m_slider, &QSlider::valueChanged, this, [this](int position) {
        if (m_model) {
            const OverlaySettingDescription &described = describe(m_setting);
            setOverlaySettingFromSlider(
                *m_model, m_setting, static_cast<double>(described.lowerBound + position * described.step));
        }
    });
    if (m_model) {
        const auto changed = [this](int) { showModelValue(); };
        switch (setting) {
        case OverlaySetting::backgroundOpacity:
            connect(m_model, &OverlaySettingsModel::backgroundOpacityPercentChanged, this, changed);
            break;
        case OverlaySetting::sourceTextSize:
            connect(m_model, &OverlaySettingsModel::sourceTextSizePointsChanged, this, changed);
            break;
        case OverlaySetting::translationTextSize:
            connect(m_model, &OverlaySettingsModel::translationTextSizePointsChanged, this, changed);
            break;
        }
    }
    retranslate();
}

int OverlaySettingControl::sliderPosition(int value) const
{
    const OverlaySettingDescription &description = describe(m_setting);
    const double steps = static_cast<double>(value - description.lowerBound) / description.step;
    return static_cast<int>(std::lround(steps));
}

void OverlaySettingControl::retranslate()
{
    const OverlaySettingDescription &description = describe(m_setting);
    m_title->setText(localizedString(description.titleKey));
    m_slider->setAccessibleName(m_title->text());
    m_lowerBound->setText(formattedOverlaySettingValue(m_setting, description.lowerBound));
    m_upperBound->setText(formattedOverlaySettingValue(m_setting, description.upperBound));
    showModelValue();
}

void OverlaySettingControl::showModelValue()
{
    if (!m_model) {
        return;
    }
    const int value = overlaySettingValue(*m_model, m_setting);
    m_value->setText(formattedOverlaySettingValue(m_setting, value));
    m_value->setAccessibleName(m_value->text());
    const QSignalBlocker blocker(m_slider);
    m_slider->setValue(sliderPosition(value));
}

} // namespace veyra
