#pragma once

#include "settings/overlay/OverlaySetting.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QSlider;

namespace veyra {

class OverlaySettingsModel;

// One setting of the overlay section: its title with the current value on the right, a
// slider over the setting's range in the setting's steps, and the range's two bounds
// below. The slider writes through the model; the texts follow the model.
class OverlaySettingControl : public QWidget
{
    Q_OBJECT

public:
    OverlaySettingControl(OverlaySetting setting, OverlaySettingsModel *model, QWidget *parent = nullptr);

    QSlider *slider() const { return m_slider; }

    // Looks every text up again in the current interface language.
    void retranslate();

private:
    void showModelValue();
    int sliderPosition(int value) const;

    OverlaySetting m_setting;
    QPointer<OverlaySettingsModel> m_model;
    QLabel *m_title;
    QLabel *m_value;
    QSlider *m_slider;
    QLabel *m_lowerBound;
    QLabel *m_upperBound;
};

} // namespace veyra
