#pragma once

#include "overlay/settings/OverlaySettingsStoring.h"

namespace veyra {

// The store of fixture mode: nothing stored at first, nothing kept past the process.
class InMemoryOverlaySettingsStore : public OverlaySettingsStoring
{
public:
    std::optional<int> backgroundOpacityPercent() const override { return m_backgroundOpacityPercent; }
    void setBackgroundOpacityPercent(std::optional<int> percent) override { m_backgroundOpacityPercent = percent; }
    std::optional<int> sourceTextSizePoints() const override { return m_sourceTextSizePoints; }
    void setSourceTextSizePoints(std::optional<int> points) override { m_sourceTextSizePoints = points; }
    std::optional<int> translationTextSizePoints() const override { return m_translationTextSizePoints; }
    void setTranslationTextSizePoints(std::optional<int> points) override { m_translationTextSizePoints = points; }

private:
    std::optional<int> m_backgroundOpacityPercent;
    std::optional<int> m_sourceTextSizePoints;
    std::optional<int> m_translationTextSizePoints;
};

} // namespace veyra
