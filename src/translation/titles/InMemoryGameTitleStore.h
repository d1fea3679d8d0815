#pragma once

#include "translation/titles/GameTitleStoring.h"

#include <QHash>

namespace veyra {

// Game titles kept in memory for the life of the process (UI testing). Never throws.
class InMemoryGameTitleStore : public GameTitleStoring
{
public:
    explicit InMemoryGameTitleStore(QHash<GameWindowProfileKey, GameTitleResolution> resolutions = {})
        : m_resolutions(std::move(resolutions))
    { }

    std::optional<GameTitleResolution> resolution(const GameWindowProfileKey &key) override
    {
        const auto it = m_resolutions.constFind(key);
        if (it == m_resolutions.constEnd()) {
            return std::nullopt;
        }
        return *it;
    }

    void save(const GameTitleResolution &resolution, const GameWindowProfileKey &key) override
    {
        m_resolutions.insert(key, resolution);
    }

    const QHash<GameWindowProfileKey, GameTitleResolution> &resolutions() const { return m_resolutions; }

private:
    QHash<GameWindowProfileKey, GameTitleResolution> m_resolutions;
};

} // namespace veyra
