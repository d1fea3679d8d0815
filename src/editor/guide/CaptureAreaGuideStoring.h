#pragma once

#include <QtGlobal>

#include <optional>

namespace veyra {

// The content version of the capture-area guide; a user who closed an older one sees it
// again.
inline constexpr qint64 currentGuideVersion = 5;

// Remembers the guide version the user last closed (nothing: never closed). GUI thread.
class CaptureAreaGuideStoring
{
public:
    virtual ~CaptureAreaGuideStoring() = default;

    virtual std::optional<qint64> lastSeenVersion() const = 0;
    virtual void setLastSeenVersion(std::optional<qint64> version) = 0;
};

} // namespace veyra
