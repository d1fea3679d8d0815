#pragma once

#include "foundation/identity/AppIdentity.h"

#include <QString>

#include <optional>

namespace veyra {

// The running application's marketing version ("CFBundleShortVersionString") and build
// ("CFBundleVersion"), both trimmed and non-empty.
struct AppVersionInfo
{
    QString version;
    QString build;

    // Both values when both keys hold text that is not blank; nothing otherwise (a key
    // missing or holding a number counts as blank).
    static std::optional<AppVersionInfo> fromInfoDictionary(const InfoDictionary &info);

    bool operator==(const AppVersionInfo &) const = default;
};

} // namespace veyra
