#pragma once

#include "update/version/AppUpdateAvailabilityStoring.h"

namespace veyra {

// Keeps the available update for the life of the object (fixture mode).
class InMemoryAppUpdateAvailabilityStore : public AppUpdateAvailabilityStoring
{
public:
    std::optional<AvailableAppUpdate> load() const override;
    void save(const AvailableAppUpdate &value) override;
    void clear() override;

    std::optional<AvailableAppUpdate> update;
};

} // namespace veyra
