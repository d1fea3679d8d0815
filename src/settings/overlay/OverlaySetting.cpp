#include "settings/overlay/OverlaySetting.h"

#include "foundation/language/LocalizedString.h"
#include "overlay/settings/OverlaySettingsModel.h"

#include <algorithm>
#include <cmath>

namespace veyra {

namespace {

const char *const percentFormat = QT_TRANSLATE_NOOP("Veyra", "%d%%");
const char *const pointsFormat = QT_TRANSLATE_NOOP("Veyra", "%d pt");

const OverlaySettingDescription backgroundOpacity{QT_TRANSLATE_NOOP("Veyra", "Background opacity"), percentFormat, 0,
    90, 5, "overlay-background-opacity-value", "overlay-background-opacity-slider"};
const OverlaySettingDescription sourceTextSize{QT_TRANSLATE_NOOP("Veyra", "OCR text size"), pointsFormat, 8, 72, 1,
    "overlay-source-text-size-value", "overlay-source-text-size-slider"};
const OverlaySettingDescription translationTextSize{QT_TRANSLATE_NOOP("Veyra", "Translation text size"), pointsFormat,
    8, 72, 1, "overlay-translation-text-size-value", "overlay-translation-text-size-slider"};

} // namespace

const OverlaySettingDescription &describe(OverlaySetting setting)
{
    switch (setting) {
    case OverlaySetting::backgroundOpacity:
        return backgroundOpacity;
    case OverlaySetting::sourceTextSize:
        return sourceTextSize;
    case OverlaySetting::translationTextSize:
        return translationTextSize;
    }
    return backgroundOpacity;
}

int overlaySettingValue(const OverlaySettingsModel &model, OverlaySetting setting)
{
    switch (setting) {
    case OverlaySetting::backgroundOpacity:
        return model.backgroundOpacityPercent();
    case OverlaySetting::sourceTextSize:
        return model.sourceTextSizePoints();
    case OverlaySetting::translationTextSize:
        return model.translationTextSizePoints();
    }
    return 0;
}

void setOverlaySettingFromSlider(OverlaySettingsModel &model, OverlaySetting setting, double sliderValue)
{
    if (!std::isfinite(sliderValue)) {
        return;
    }
    // Far outside every range, so the setters' limits still apply, and safe to convert.
    const double bounded = std::clamp(sliderValue, -1.0e6, 1.0e6);
    const int whole = static_cast<int>(std::lround(bounded));
    switch (setting) {
    case OverlaySetting::backgroundOpacity:
        model.setBackgroundOpacityPercent(whole);
        break;
    case OverlaySetting::sourceTextSize:
        model.setSourceTextSizePoints(whole);
        break;
    case OverlaySetting::translationTextSize:
        model.setTranslationTextSizePoints(whole);
        break;
    }
}

QString formatWholeNumber(const QString &pattern, int value)
{
    QString result;
    result.reserve(pattern.size() + 8);
    for (qsizetype index = 0; index < pattern.size(); ++index) {
        if (pattern.at(index) == QLatin1Char('%') && index + 1 < pattern.size()) {
            const QChar next = pattern.at(index + 1);
            if (next == QLatin1Char('d')) {
                result += QString::number(value);
                ++index;
                continue;
            }
            if (next == QLatin1Char('%')) {
                result += QLatin1Char('%');
                ++index;
                continue;
            }
        }
        result += pattern.at(index);
    }
    return result;
}

QString formattedOverlaySettingValue(OverlaySetting setting, int value)
{
    return formatWholeNumber(localizedString(describe(setting).formatKey), value);
}

} // namespace veyra
