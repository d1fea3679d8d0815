#include "account/google/ProofKey.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

#include <vector>

namespace veyra {

namespace {
constexpr auto urlSafe = QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals;
}

QByteArray randomURLSafeText(int bytes)
{
    std::vector<quint32> words(static_cast<size_t>((bytes + 3) / 4));
    QRandomGenerator::system()->fillRange(words.data(), static_cast<qsizetype>(words.size()));
    const QByteArray raw(reinterpret_cast<const char *>(words.data()), bytes);
    return raw.toBase64(urlSafe);
}

ProofKey ProofKey::generate()
{
    ProofKey key;
    key.verifier = randomURLSafeText(32);
    key.challenge = challengeFor(key.verifier);
    return key;
}

QByteArray ProofKey::challengeFor(const QByteArray &verifier)
{
    return QCryptographicHash::hash(verifier, QCryptographicHash::Sha256).toBase64(urlSafe);
}

} // namespace veyra
