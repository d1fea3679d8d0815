#include "account/web/WebAppConfiguration.h"

#include "translation/http/ServerConfiguration.h"

namespace veyra {

WebAppConfiguration WebAppConfiguration::fromInfoDictionary(const InfoDictionary &info)
{
    const QVariant value = info.value(QStringLiteral("WebAppBaseURL"));
    if (value.typeId() != QMetaType::QString) {
        throw ServerConfigurationError();
    }
    const QString text = value.toString().trimmed();
    const QUrl url(text, QUrl::StrictMode);
    if (text.isEmpty() || !url.isValid()) {
        throw ServerConfigurationError();
    }
    return validateWebAppBaseURL(url);
}

QUrl WebAppConfiguration::pageURL(const QStringList &pathComponents) const
{
    // The same appending as the server's endpoints; the URL obeys the same rule.
    return ServerConfiguration(baseURL).endpointURL(pathComponents);
}

WebAppConfiguration validateWebAppBaseURL(const QUrl &url)
{
    return WebAppConfiguration{validateBaseURL(url)};
}

} // namespace veyra
