#pragma once

#include "foundation/identity/AppIdentity.h"

#include <QString>
#include <QUrl>

namespace veyra {

// The update feed and the key that signs the updates, as the bundle configures them under
// "SUFeedURL" and "SUPublicEDKey".
struct AppUpdateConfiguration
{
    QUrl feedURL;
    // The Base64 text of the 32-byte Ed25519 public key, trimmed, as written.
    QString publicKey;

    // Reads and checks both keys, the feed URL first (so a bundle with both wrong reports
    // the feed). Throws AppUpdateConfigurationError.
    static AppUpdateConfiguration fromInfoDictionary(const InfoDictionary &info);

    bool operator==(const AppUpdateConfiguration &) const = default;
};

} // namespace veyra
