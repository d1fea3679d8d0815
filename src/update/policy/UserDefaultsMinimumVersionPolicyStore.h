#pragma once

#include "update/policy/MinimumVersionPolicyStoring.h"

#include <QString>

namespace veyra {

class UserDefaults;

// Keeps the accepted policy as JSON bytes under the user-defaults key
// "accepted_minimum_version_policy". A missing key, a value that is not bytes, or bytes
// that do not decode load as nothing, and nothing is removed: the next verified policy of
// any revision is then accepted and replaces the record.
class UserDefaultsMinimumVersionPolicyStore : public MinimumVersionPolicyStoring
{
public:
    static inline const QString key = QStringLiteral("accepted_minimum_version_policy");

    explicit UserDefaultsMinimumVersionPolicyStore(UserDefaults &defaults);

    std::optional<AcceptedMinimumVersionPolicy> load() const override;
    void save(const AcceptedMinimumVersionPolicy &policy) override;

private:
    UserDefaults &m_defaults;
};

} // namespace veyra
