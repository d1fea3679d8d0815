#include "update/policy/Ed25519Signature.h"

#include <sodium.h>

namespace veyra {

bool isValidEd25519Signature(const QByteArray &signature, const QByteArray &message, const QByteArray &publicKey)
{
    // Thread-safe and idempotent; a library that cannot initialise verifies nothing.
    static const bool initialised = sodium_init() >= 0;
    if (!initialised || signature.size() != crypto_sign_BYTES || publicKey.size() != crypto_sign_PUBLICKEYBYTES) {
        return false;
    }
    return crypto_sign_verify_detached(reinterpret_cast<const unsigned char *>(signature.constData()),
               reinterpret_cast<const unsigned char *>(message.constData()),
               static_cast<unsigned long long>(message.size()),
               reinterpret_cast<const unsigned char *>(publicKey.constData()))
        == 0;
}

} // namespace veyra
