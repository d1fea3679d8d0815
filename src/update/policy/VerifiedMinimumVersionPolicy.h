#pragma once

#include "update/policy/MinimumVersionPolicy.h"

#include <QByteArray>
#include <QString>

namespace veyra {

// A policy whose signature has been verified and which passed validation, with the
// SHA-256 of the document's bytes.
struct VerifiedMinimumVersionPolicy
{
    MinimumVersionPolicy policy;
    // 64 lowercase hexadecimal digits.
    QString digest;

    // Verifies the detached signature over the document's bytes exactly as received,
    // before anything reads them as JSON, then decodes and validates the document.
    // The signature file is UTF-8 text holding padded standard Base64 of 64 bytes;
    // whitespace and line ends around it are ignored, nothing else is. Throws
    // MinimumVersionPolicyError: invalidSignature, invalidJSON, unsupportedSchema or
    // invalidPolicy. Pure; runs on any thread.
    static VerifiedMinimumVersionPolicy verify(
        const QByteArray &policyData, const QByteArray &signatureData, const QByteArray &publicKey);

    bool operator==(const VerifiedMinimumVersionPolicy &) const = default;
};

} // namespace veyra
