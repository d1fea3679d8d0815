#pragma once

#include "capture/areas/CaptureAreaStoring.h"

#include <QHash>
#include <QVector>

namespace veyra {

// Profiles kept in memory for the life of the process (UI testing). Never throws.
class InMemoryCaptureAreaStore : public CaptureAreaStoring
{
public:
    // Inserts the profiles in order; a later profile replaces an earlier one of its key.
    explicit InMemoryCaptureAreaStore(const QVector<CaptureAreaProfile> &profiles = {});

    std::optional<CaptureAreaProfile> profile(const GameWindowProfileKey &key) override;
    void save(const CaptureAreaProfile &profile) override;

    const QHash<GameWindowProfileKey, CaptureAreaProfile> &profiles() const { return m_profiles; }

private:
    QHash<GameWindowProfileKey, CaptureAreaProfile> m_profiles;
};

} // namespace veyra
