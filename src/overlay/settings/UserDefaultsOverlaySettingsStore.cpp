#include "overlay/settings/UserDefaultsOverlaySettingsStore.h"

#include "foundation/settings/UserDefaults.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace veyra {

namespace {

// The integer part of a stored fraction, kept inside the range of int.
std::optional<int> integerPart(double value)
{
    if (std::isnan(value)) {
        return std::nullopt;
    }
    if (value >= static_cast<double>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    if (value <= static_cast<double>(std::numeric_limits<int>::min())) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(std::trunc(value));
}

} // namespace

UserDefaultsOverlaySettingsStore::UserDefaultsOverlaySettingsStore(UserDefaults &defaults)
    : m_defaults(defaults)
{ }

std::optional<int> UserDefaultsOverlaySettingsStore::backgroundOpacityPercent() const
{
    return read(backgroundOpacityPercentKey);
}

void UserDefaultsOverlaySettingsStore::setBackgroundOpacityPercent(std::optional<int> percent)
{
    write(backgroundOpacityPercentKey, percent);
}

std::optional<int> UserDefaultsOverlaySettingsStore::sourceTextSizePoints() const
{
    return read(sourceTextSizePointsKey);
}

void UserDefaultsOverlaySettingsStore::setSourceTextSizePoints(std::optional<int> points)
{
    write(sourceTextSizePointsKey, points);
}

std::optional<int> UserDefaultsOverlaySettingsStore::translationTextSizePoints() const
{
    return read(translationTextSizePointsKey);
}

void UserDefaultsOverlaySettingsStore::setTranslationTextSizePoints(std::optional<int> points)
{
    write(translationTextSizePointsKey, points);
}

std::optional<int> UserDefaultsOverlaySettingsStore::read(const QString &key) const
{
    const QVariant value = m_defaults.object(key);
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return static_cast<int>(
            std::clamp<qint64>(value.toLongLong(), std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    case QMetaType::Double:
    case QMetaType::Float:
        return integerPart(value.toDouble());
    default:
        return std::nullopt;
    }
}

void UserDefaultsOverlaySettingsStore::write(const QString &key, std::optional<int> value)
{
    if (value) {
        m_defaults.setValue(key, *value);
    } else {
        m_defaults.remove(key);
    }
}

} // namespace veyra
