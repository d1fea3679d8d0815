#pragma once

#include <QByteArray>

#include <stdexcept>

namespace veyra {

// Thrown for a key or key file that cannot be used.
class PolicySigningError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// An Ed25519 key pair: the 32-byte seed it is made from (the secret) and the raw 32-byte
// public key.
struct PolicySigningKey
{
    QByteArray seed;
    QByteArray publicKey;

    // A new key from the system's secure random source.
    static PolicySigningKey generate();
    // The key of a 32-byte seed; throws PolicySigningError for another length.
    static PolicySigningKey fromSeed(const QByteArray &seed);

    // The secret-key file: the seed in standard Base64 and a line feed.
    QByteArray secretKeyFile() const;
    // Reads a secret-key file (whitespace around the Base64 is ignored); throws
    // PolicySigningError.
    static PolicySigningKey fromSecretKeyFile(const QByteArray &contents);

    // The public key as the bundle configures it under "SUPublicEDKey": standard Base64,
    // 44 characters.
    QByteArray publicKeyBase64() const { return publicKey.toBase64(); }

    // The detached 64-byte pure Ed25519 signature of the bytes exactly as given.
    QByteArray sign(const QByteArray &message) const;
};

// The signature file published beside a policy: the signature in standard Base64 (88
// characters) and a line feed.
QByteArray signatureFile(const QByteArray &signature);

} // namespace veyra
