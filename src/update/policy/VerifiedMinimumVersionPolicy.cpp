#include "update/policy/VerifiedMinimumVersionPolicy.h"

#include "update/configuration/StandardBase64.h"
#include "update/policy/Ed25519Signature.h"
#include "update/policy/MinimumVersionPolicyError.h"
#include "update/policy/PolicyDigest.h"

#include <QStringDecoder>

namespace veyra {

VerifiedMinimumVersionPolicy VerifiedMinimumVersionPolicy::verify(
    const QByteArray &policyData, const QByteArray &signatureData, const QByteArray &publicKey)
{
    const auto invalidSignature
        = [] { return MinimumVersionPolicyError(MinimumVersionPolicyError::Kind::invalidSignature); };

    // A byte-order mark is kept as a character, so it is refused like any other.
    QStringDecoder utf8(
        QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString signatureText = utf8.decode(signatureData);
    if (utf8.hasError()) {
        throw invalidSignature();
    }
    const std::optional<QByteArray> signature = decodeStandardBase64(signatureText.trimmed());
    if (!signature || signature->size() != 64 || !isValidEd25519Signature(*signature, policyData, publicKey)) {
        throw invalidSignature();
    }

    MinimumVersionPolicy policy = MinimumVersionPolicy::fromJson(policyData);
    policy.validate();
    return {std::move(policy), sha256HexDigest(policyData)};
}

} // namespace veyra
