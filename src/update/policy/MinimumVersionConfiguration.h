#pragma once

#include "foundation/identity/AppIdentity.h"

#include <QByteArray>
#include <QUrl>

namespace veyra {

// Where the minimum-version policy and its signature are published and the key that signs
// them. Read once at start-up.
struct MinimumVersionConfiguration
{
    QUrl policyURL;
    // The policy URL with ".sig" appended to the whole text.
    QUrl signatureURL;
    // The raw 32-byte Ed25519 public key.
    QByteArray publicKey;

    // Reads "MinimumVersionPolicyURL" and "SUPublicEDKey" (both trimmed). The policy URL
    // must obey isAllowedConfiguredURL() and have a path, "/" at least: ".sig" appended
    // to a bare "https://host" would name another host. The key must be padded standard
    // Base64 of exactly 32 bytes. Throws MinimumVersionPolicyError::invalidConfiguration.
    static MinimumVersionConfiguration fromInfoDictionary(const InfoDictionary &info);

    bool operator==(const MinimumVersionConfiguration &) const = default;
};

} // namespace veyra
