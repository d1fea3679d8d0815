#include "update/configuration/AppUpdateConfiguration.h"

#include "update/configuration/AppUpdateConfigurationError.h"
#include "update/configuration/ConfiguredURL.h"
#include "update/configuration/InfoDictionaryText.h"
#include "update/configuration/StandardBase64.h"

namespace veyra {

AppUpdateConfiguration AppUpdateConfiguration::fromInfoDictionary(const InfoDictionary &info)
{
    using Kind = AppUpdateConfigurationError::Kind;

    const QString feedText = trimmedInfoDictionaryText(info, QStringLiteral("SUFeedURL"));
    if (feedText.isEmpty()) {
        throw AppUpdateConfigurationError(Kind::missingFeedURL);
    }
    const std::optional<QUrl> feedURL = configuredURL(feedText);
    if (!feedURL || !isAllowedConfiguredURL(feedText)) {
        throw AppUpdateConfigurationError(Kind::invalidFeedURL);
    }

    const QString keyText = trimmedInfoDictionaryText(info, QStringLiteral("SUPublicEDKey"));
    if (keyText.isEmpty()) {
        throw AppUpdateConfigurationError(Kind::missingPublicKey);
    }
    const std::optional<QByteArray> key = decodeStandardBase64(keyText);
    if (!key || key->size() != 32) {
        throw AppUpdateConfigurationError(Kind::invalidPublicKey);
    }
    return {*feedURL, keyText};
}

} // namespace veyra
