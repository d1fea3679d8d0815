#pragma once

#include "capture/areas/CaptureArea.h"
#include "capture/target/GameWindowProfileKey.h"

#include <optional>

namespace veyra {

// Keeps one capture-area profile per game window. Used on the GUI thread; every
// operation finishes before it returns and throws an Error on failure.
class CaptureAreaStoring
{
public:
    virtual ~CaptureAreaStoring() = default;

    // The profile stored for the key, or nothing.
    virtual std::optional<CaptureAreaProfile> profile(const GameWindowProfileKey &key) = 0;

    // Stores the profile, replacing the one stored under the same key.
    virtual void save(const CaptureAreaProfile &profile) = 0;
};

} // namespace veyra
