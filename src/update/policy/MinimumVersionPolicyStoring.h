#pragma once

#include "update/policy/AcceptedMinimumVersionPolicy.h"

#include <optional>

namespace veyra {

// Keeps the last accepted policy's revision and digest. Neither operation reports an
// error. Used on the GUI thread only.
class MinimumVersionPolicyStoring
{
public:
    virtual ~MinimumVersionPolicyStoring() = default;

    virtual std::optional<AcceptedMinimumVersionPolicy> load() const = 0;
    virtual void save(const AcceptedMinimumVersionPolicy &policy) = 0;
};

} // namespace veyra
