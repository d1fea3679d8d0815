#include "translation/http/ServerConfiguration.h"

#include <QVariant>

namespace veyra {

ServerConfigurationError::ServerConfigurationError(Kind kind)
    : Error(QStringLiteral("The server base URL is missing or invalid."))
    , m_kind(kind)
{ }

QUrl validateBaseURL(const QUrl &url)
{
    if (!url.isValid()) {
        throw ServerConfigurationError();
    }
    const QString scheme = url.scheme().toLower();
    const QString host = url.host().toLower();
    if (scheme.isEmpty() || host.isEmpty()) {
        throw ServerConfigurationError();
    }
    // An "@" without a user name still counts as user information.
    if (!url.userInfo().isNull() || url.hasQuery() || url.hasFragment()) {
        throw ServerConfigurationError();
    }
    if (scheme == QLatin1String("https")) {
        return url;
    }
    if (scheme == QLatin1String("http") && (host == QLatin1String("127.0.0.1") || host == QLatin1String("localhost"))) {
        return url;
    }
    throw ServerConfigurationError();
}

namespace {
QUrl baseURLFromInfo(const InfoDictionary &info, const QString &key)
{
    const auto it = info.constFind(key);
    if (it == info.constEnd() || it->typeId() != QMetaType::QString) {
        throw ServerConfigurationError();
    }
    const QString text = it->toString().trimmed();
    if (text.isEmpty()) {
        throw ServerConfigurationError();
    }
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid()) {
        throw ServerConfigurationError();
    }
    return url;
}
} // namespace

ServerConfiguration::ServerConfiguration(const QUrl &baseURL)
    : m_baseURL(validateBaseURL(baseURL))
{ }

ServerConfiguration::ServerConfiguration(const InfoDictionary &info, const QString &key)
    : ServerConfiguration(baseURLFromInfo(info, key))
{ }

QUrl ServerConfiguration::endpointURL(const QStringList &pathSegments) const
{
    QString path = m_baseURL.path(QUrl::FullyEncoded);
    if (!path.endsWith(QLatin1Char('/'))) {
        path += QLatin1Char('/');
    }
    QStringList encoded;
    encoded.reserve(pathSegments.size());
    for (const QString &segment : pathSegments) {
        encoded << QString::fromLatin1(QUrl::toPercentEncoding(segment));
    }
    path += encoded.join(QLatin1Char('/'));
    QUrl url = m_baseURL;
    url.setPath(path, QUrl::StrictMode);
    return url;
}

} // namespace veyra
