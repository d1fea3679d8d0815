#include "policy-sign/PolicySigning.h"

#include <sodium.h>

#include <array>

namespace veyra {

namespace {

void initialiseSodium()
{
    static const bool initialised = sodium_init() >= 0;
    if (!initialised) {
        throw PolicySigningError("libsodium could not be initialised");
    }
}

const unsigned char *bytes(const QByteArray &data)
{
    return reinterpret_cast<const unsigned char *>(data.constData());
}

// The 64-byte secret key of libsodium, wiped when it goes.
class SecretKey
{
public:
    explicit SecretKey(const QByteArray &seed)
    {
        std::array<unsigned char, crypto_sign_PUBLICKEYBYTES> publicKey{};
        crypto_sign_seed_keypair(publicKey.data(), m_key.data(), bytes(seed));
    }
    ~SecretKey() { sodium_memzero(m_key.data(), m_key.size()); }
    SecretKey(const SecretKey &) = delete;
    SecretKey &operator=(const SecretKey &) = delete;

    const unsigned char *data() const { return m_key.data(); }

private:
    std::array<unsigned char, crypto_sign_SECRETKEYBYTES> m_key{};
};

} // namespace

PolicySigningKey PolicySigningKey::generate()
{
    initialiseSodium();
    QByteArray seed(crypto_sign_SEEDBYTES, Qt::Uninitialized);
    randombytes_buf(seed.data(), static_cast<size_t>(seed.size()));
    return fromSeed(seed);
}

PolicySigningKey PolicySigningKey::fromSeed(const QByteArray &seed)
{
    initialiseSodium();
    if (seed.size() != crypto_sign_SEEDBYTES) {
        throw PolicySigningError("a signing key seed must be 32 bytes");
    }
    QByteArray publicKey(crypto_sign_PUBLICKEYBYTES, Qt::Uninitialized);
    std::array<unsigned char, crypto_sign_SECRETKEYBYTES> secretKey{};
    crypto_sign_seed_keypair(reinterpret_cast<unsigned char *>(publicKey.data()), secretKey.data(), bytes(seed));
    sodium_memzero(secretKey.data(), secretKey.size());
    return {seed, publicKey};
}

QByteArray PolicySigningKey::secretKeyFile() const
{
    return seed.toBase64() + '\n';
}

PolicySigningKey PolicySigningKey::fromSecretKeyFile(const QByteArray &contents)
{
    const auto decoded = QByteArray::fromBase64Encoding(
        contents.trimmed(), QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (decoded.decodingStatus != QByteArray::Base64DecodingStatus::Ok
        || decoded.decoded.size() != crypto_sign_SEEDBYTES) {
        throw PolicySigningError("the secret-key file does not hold a 32-byte key in Base64");
    }
    return fromSeed(decoded.decoded);
}

QByteArray PolicySigningKey::sign(const QByteArray &message) const
{
    initialiseSodium();
    if (seed.size() != crypto_sign_SEEDBYTES) {
        throw PolicySigningError("a signing key seed must be 32 bytes");
    }
    const SecretKey secretKey(seed);
    QByteArray signature(crypto_sign_BYTES, Qt::Uninitialized);
    crypto_sign_detached(reinterpret_cast<unsigned char *>(signature.data()), nullptr, bytes(message),
        static_cast<unsigned long long>(message.size()), secretKey.data());
    return signature;
}

QByteArray signatureFile(const QByteArray &signature)
{
    return signature.toBase64() + '\n';
}

} // namespace veyra
