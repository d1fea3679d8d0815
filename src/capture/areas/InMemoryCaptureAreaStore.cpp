#include "capture/areas/InMemoryCaptureAreaStore.h"

namespace veyra {

InMemoryCaptureAreaStore::InMemoryCaptureAreaStore(const QVector<CaptureAreaProfile> &profiles)
{
    for (const CaptureAreaProfile &profile : profiles) {
        m_profiles.insert(profile.key(), profile);
    }
}

std::optional<CaptureAreaProfile> InMemoryCaptureAreaStore::profile(const GameWindowProfileKey &key)
{
    const auto it = m_profiles.constFind(key);
    if (it == m_profiles.constEnd()) {
        return std::nullopt;
    }
    return it.value();
}

void InMemoryCaptureAreaStore::save(const CaptureAreaProfile &profile)
{
    m_profiles.insert(profile.key(), profile);
}

} // namespace veyra
