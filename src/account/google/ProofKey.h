#pragma once

#include <QByteArray>

namespace veyra {

// A proof key for one authorisation-code exchange (PKCE with the S256 method): a random
// verifier that stays in the application and the challenge derived from it that travels
// through the browser. Only the holder of the verifier can redeem the code.
struct ProofKey
{
    // 43 characters of base64url (32 random bytes).
    QByteArray verifier;
    // base64url(SHA-256(verifier)), without padding.
    QByteArray challenge;

    static ProofKey generate();
    static QByteArray challengeFor(const QByteArray &verifier);
};

// `bytes` random bytes from the system's generator, as base64url without padding.
QByteArray randomURLSafeText(int bytes);

} // namespace veyra
