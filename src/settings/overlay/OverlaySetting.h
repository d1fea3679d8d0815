#pragma once

#include <QString>

#include <array>

namespace veyra {

class OverlaySettingsModel;

// The three values of the overlay section, in the order of the section.
enum class OverlaySetting { backgroundOpacity, sourceTextSize, translationTextSize };

inline constexpr std::array<OverlaySetting, 3> allOverlaySettings{
    OverlaySetting::backgroundOpacity, OverlaySetting::sourceTextSize, OverlaySetting::translationTextSize};

// How the section shows one setting: its title and value format (English lookup keys,
// the format with one "%d"), its slider's range and step, and the object names of the
// value text and the slider.
struct OverlaySettingDescription
{
    const char *titleKey;
    const char *formatKey;
    int lowerBound;
    int upperBound;
    int step;
    const char *valueObjectName;
    const char *sliderObjectName;
};

const OverlaySettingDescription &describe(OverlaySetting setting);

// The model's current value of the setting.
int overlaySettingValue(const OverlaySettingsModel &model, OverlaySetting setting);

// What a slider hands the model: the value rounded to the nearest whole number (halves
// away from zero), given to the model's setter of the setting, which limits it to its
// range. A value that is not a finite number changes nothing.
void setOverlaySettingFromSlider(OverlaySettingsModel &model, OverlaySetting setting, double sliderValue);

// `pattern` with "%d" replaced by the number and "%%" by "%" ("%d%%" -> "55%").
QString formatWholeNumber(const QString &pattern, int value);

// The looked-up format of the setting filled with `value`.
QString formattedOverlaySettingValue(OverlaySetting setting, int value);

} // namespace veyra
