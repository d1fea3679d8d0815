#include "update/policy/MinimumVersionConfiguration.h"

#include "update/configuration/ConfiguredURL.h"
#include "update/configuration/InfoDictionaryText.h"
#include "update/configuration/StandardBase64.h"
#include "update/policy/MinimumVersionPolicyError.h"

namespace veyra {

MinimumVersionConfiguration MinimumVersionConfiguration::fromInfoDictionary(const InfoDictionary &info)
{
    const auto fail = [] { return MinimumVersionPolicyError(MinimumVersionPolicyError::Kind::invalidConfiguration); };

    const QString policyText = trimmedInfoDictionaryText(info, QStringLiteral("MinimumVersionPolicyURL"));
    const QString keyText = trimmedInfoDictionaryText(info, QStringLiteral("SUPublicEDKey"));

    const std::optional<QUrl> policyURL = configuredURL(policyText);
    if (!policyURL || !isAllowedConfiguredURL(policyText) || policyURL->path().isEmpty()) {
        throw fail();
    }
    const std::optional<QByteArray> publicKey = decodeStandardBase64(keyText);
    if (!publicKey || publicKey->size() != 32) {
        throw fail();
    }
    // The rule forbids a query and a fragment, so the suffix ends the path.
    const std::optional<QUrl> signatureURL
        = configuredURL(policyURL->toString(QUrl::FullyEncoded) + QStringLiteral(".sig"));
    if (!signatureURL) {
        throw fail();
    }
    return {*policyURL, *signatureURL, *publicKey};
}

} // namespace veyra
