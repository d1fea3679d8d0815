#pragma once

#include "update/policy/MinimumVersionPolicyStoring.h"

namespace veyra {

// Keeps the accepted policy for the life of the object (fixture mode); empty at creation.
class InMemoryMinimumVersionPolicyStore : public MinimumVersionPolicyStoring
{
public:
    std::optional<AcceptedMinimumVersionPolicy> load() const override { return acceptedPolicy; }
    void save(const AcceptedMinimumVersionPolicy &policy) override { acceptedPolicy = policy; }

    std::optional<AcceptedMinimumVersionPolicy> acceptedPolicy;
};

} // namespace veyra
