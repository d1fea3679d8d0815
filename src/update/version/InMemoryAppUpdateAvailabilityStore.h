#pragma once

#include "update/version/AppUpdateAvailabilityStoring.h"

namespace veyra {

// Keeps the available update for the life of the object (fixture mode).
class InMemoryAppUpdateAvailabilityStore : public AppUpdateAvailabilityStoring
{
public:
    std::optional<AvailableAppUpdate> load() const override { return update; }
    void save(const AvailableAppUpdate &value) override { update = value; }
    void clear() override { update.reset(); }

    std::optional<AvailableAppUpdate> update;
};

} // namespace veyra
