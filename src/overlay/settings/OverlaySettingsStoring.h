#pragma once

#include <optional>

namespace veyra {

// Where the overlay's three display settings are kept. Nothing stored reads as nullopt;
// writing nullopt removes the stored value.
class OverlaySettingsStoring
{
public:
    virtual ~OverlaySettingsStoring() = default;

    virtual std::optional<int> backgroundOpacityPercent() const = 0;
    virtual void setBackgroundOpacityPercent(std::optional<int> percent) = 0;
    virtual std::optional<int> sourceTextSizePoints() const = 0;
    virtual void setSourceTextSizePoints(std::optional<int> points) = 0;
    virtual std::optional<int> translationTextSizePoints() const = 0;
    virtual void setTranslationTextSizePoints(std::optional<int> points) = 0;
};

} // namespace veyra
