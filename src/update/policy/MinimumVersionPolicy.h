#pragma once

#include <QByteArray>
#include <QString>

namespace veyra {

// The signed policy document: the oldest build that may still be used. The fields hold
// the values exactly as decoded; validation looks at trimmed copies and changes nothing.
struct MinimumVersionPolicy
{
    qint64 schemaVersion = 0;
    qint64 policyRevision = 0;
    QString minimumSupportedBuild;
    QString minimumSupportedVersion;

    // Decodes one JSON object with the required members "schema_version" and
    // "policy_revision" (whole numbers in the signed 64-bit range) and
    // "minimum_supported_build" and "minimum_supported_version" (strings); other members
    // are ignored, null is refused. Throws MinimumVersionPolicyError::invalidJSON.
    static MinimumVersionPolicy fromJson(const QByteArray &json);

    // Checks, in this order: the schema is 1 (else unsupportedSchema); the revision is at
    // least 1; the trimmed build and version are not empty; every character (grapheme
    // cluster) of the trimmed build is "." or begins with a numeric character (else
    // invalidPolicy). Throws MinimumVersionPolicyError.
    void validate() const;

    bool operator==(const MinimumVersionPolicy &) const = default;
};

} // namespace veyra
