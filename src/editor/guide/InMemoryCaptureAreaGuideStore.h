#pragma once

#include "editor/guide/CaptureAreaGuideStoring.h"

namespace veyra {

// Keeps the version in memory only (fixture mode).
class InMemoryCaptureAreaGuideStore : public CaptureAreaGuideStoring
{
public:
    explicit InMemoryCaptureAreaGuideStore(std::optional<qint64> lastSeenVersion = std::nullopt)
        : m_lastSeenVersion(lastSeenVersion)
    { }

    std::optional<qint64> lastSeenVersion() const override { return m_lastSeenVersion; }
    void setLastSeenVersion(std::optional<qint64> version) override { m_lastSeenVersion = version; }

private:
    std::optional<qint64> m_lastSeenVersion;
};

} // namespace veyra
