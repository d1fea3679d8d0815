#pragma once

#include "update/version/AvailableAppUpdate.h"

#include <optional>

namespace veyra {

// Keeps the available update across launches, so that it can be offered before the next
// check. No operation fails.
class AppUpdateAvailabilityStoring
{
public:
    virtual ~AppUpdateAvailabilityStoring() = default;

    // The stored update, or nothing.
    virtual std::optional<AvailableAppUpdate> load() const = 0;
    // Stores the update, replacing any earlier one.
    virtual void save(const AvailableAppUpdate &update) = 0;
    // Removes the stored update.
    virtual void clear() = 0;
};

} // namespace veyra
