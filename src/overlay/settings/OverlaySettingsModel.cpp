#include "overlay/settings/OverlaySettingsModel.h"

#include "overlay/settings/InMemoryOverlaySettingsStore.h"
#include "overlay/settings/UserDefaultsOverlaySettingsStore.h"

#include <algorithm>
#include <cmath>

namespace veyra {

namespace {

constexpr int minimumOpacityPercent = 0;
constexpr int maximumOpacityPercent = 90;
constexpr int minimumTextSizePoints = 8;
constexpr int maximumTextSizePoints = 72;

// The published value of a stored one (the default when nothing is stored), and whether
// it must be written back because the stored value was out of range.
template <typename Normalize>
int loaded(std::optional<int> stored, int defaultValue, Normalize normalize, bool &writeBack)
{
    if (!stored) {
        writeBack = false;
        return defaultValue;
    }
    const int value = normalize(*stored);
    writeBack = value != *stored;
    return value;
}

} // namespace

int OverlaySettingsModel::normalizedBackgroundOpacityPercent(int percent)
{
    const int clamped = std::clamp(percent, minimumOpacityPercent, maximumOpacityPercent);
    const int stepped = static_cast<int>(std::round(clamped / 5.0)) * 5;
    return std::clamp(stepped, minimumOpacityPercent, maximumOpacityPercent);
}

int OverlaySettingsModel::normalizedTextSizePoints(int points)
{
    return std::clamp(points, minimumTextSizePoints, maximumTextSizePoints);
}

OverlaySettingsModel::OverlaySettingsModel(std::unique_ptr<OverlaySettingsStoring> store, QObject *parent)
    : QObject(parent)
    , m_store(std::move(store))
{
    bool writeOpacity = false;
    bool writeSource = false;
    bool writeTranslation = false;
    m_backgroundOpacityPercent = loaded(m_store->backgroundOpacityPercent(), defaultBackgroundOpacityPercent,
        &normalizedBackgroundOpacityPercent, writeOpacity);
    m_sourceTextSizePoints
        = loaded(m_store->sourceTextSizePoints(), defaultSourceTextSizePoints, &normalizedTextSizePoints, writeSource);
    m_translationTextSizePoints = loaded(m_store->translationTextSizePoints(), defaultTranslationTextSizePoints,
        &normalizedTextSizePoints, writeTranslation);
    if (writeOpacity) {
        m_store->setBackgroundOpacityPercent(m_backgroundOpacityPercent);
    }
    if (writeSource) {
        m_store->setSourceTextSizePoints(m_sourceTextSizePoints);
    }
    if (writeTranslation) {
        m_store->setTranslationTextSizePoints(m_translationTextSizePoints);
    }
}

void OverlaySettingsModel::setBackgroundOpacityPercent(int percent)
{
    assign(m_backgroundOpacityPercent, normalizedBackgroundOpacityPercent(percent),
        &OverlaySettingsModel::backgroundOpacityPercentChanged, &OverlaySettingsStoring::setBackgroundOpacityPercent);
}

void OverlaySettingsModel::setSourceTextSizePoints(int points)
{
    assign(m_sourceTextSizePoints, normalizedTextSizePoints(points), &OverlaySettingsModel::sourceTextSizePointsChanged,
        &OverlaySettingsStoring::setSourceTextSizePoints);
}

void OverlaySettingsModel::setTranslationTextSizePoints(int points)
{
    assign(m_translationTextSizePoints, normalizedTextSizePoints(points),
        &OverlaySettingsModel::translationTextSizePointsChanged, &OverlaySettingsStoring::setTranslationTextSizePoints);
}

void OverlaySettingsModel::assign(int &field, int value, void (OverlaySettingsModel::*changed)(int),
    void (OverlaySettingsStoring::*write)(std::optional<int>))
{
    if (value == field) {
        return;
    }
    field = value;
    Q_EMIT(this->*changed)(value);
    ((*m_store).*write)(value);
}

void OverlaySettingsModel::resetToDefaults()
{
    m_store->setBackgroundOpacityPercent(std::nullopt);
    m_store->setSourceTextSizePoints(std::nullopt);
    m_store->setTranslationTextSizePoints(std::nullopt);
    m_backgroundOpacityPercent = defaultBackgroundOpacityPercent;
    Q_EMIT backgroundOpacityPercentChanged(m_backgroundOpacityPercent);
    m_sourceTextSizePoints = defaultSourceTextSizePoints;
    Q_EMIT sourceTextSizePointsChanged(m_sourceTextSizePoints);
    m_translationTextSizePoints = defaultTranslationTextSizePoints;
    Q_EMIT translationTextSizePointsChanged(m_translationTextSizePoints);
}

std::unique_ptr<OverlaySettingsModel> makeOverlaySettingsModel(bool isUITesting, UserDefaults &defaults)
{
    if (isUITesting) {
        return std::make_unique<OverlaySettingsModel>(std::make_unique<InMemoryOverlaySettingsStore>());
    }
    return std::make_unique<OverlaySettingsModel>(std::make_unique<UserDefaultsOverlaySettingsStore>(defaults));
}

} // namespace veyra
