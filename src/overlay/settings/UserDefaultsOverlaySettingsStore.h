#pragma once

#include "overlay/settings/OverlaySettingsStoring.h"

#include <QString>

namespace veyra {

class UserDefaults;

// Keeps each setting as an integer under its own user-defaults key. A stored number of
// another kind reads as its integer value (a fraction truncated toward zero, a boolean as
// 0 or 1); anything that is not a number (a string, bytes) reads as nothing stored.
class UserDefaultsOverlaySettingsStore : public OverlaySettingsStoring
{
public:
    static inline const QString backgroundOpacityPercentKey = QStringLiteral("overlay_background_opacity_percent");
    static inline const QString sourceTextSizePointsKey = QStringLiteral("overlay_source_text_size_points");
    static inline const QString translationTextSizePointsKey = QStringLiteral("overlay_translation_text_size_points");

    explicit UserDefaultsOverlaySettingsStore(UserDefaults &defaults);

    std::optional<int> backgroundOpacityPercent() const override;
    void setBackgroundOpacityPercent(std::optional<int> percent) override;
    std::optional<int> sourceTextSizePoints() const override;
    void setSourceTextSizePoints(std::optional<int> points) override;
    std::optional<int> translationTextSizePoints() const override;
    void setTranslationTextSizePoints(std::optional<int> points) override;

private:
    std::optional<int> read(const QString &key) const;
    void write(const QString &key, std::optional<int> value);

    UserDefaults &m_defaults;
};

} // namespace veyra
