#include "update/version/InMemoryAppUpdateAvailabilityStore.h"

namespace veyra {

std::optional<AvailableAppUpdate> InMemoryAppUpdateAvailabilityStore::load() const
{
    return update;
}

void InMemoryAppUpdateAvailabilityStore::save(const AvailableAppUpdate &value)
{
    update = value;
}

void InMemoryAppUpdateAvailabilityStore::clear()
{
    update.reset();
}

} // namespace veyra
