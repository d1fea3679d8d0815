#include "update/configuration/ConfiguredURL.h"

namespace veyra {

namespace {

// The host of an absolute URL text exactly as written: the authority after "//" without
// its user information and port.
QStringView writtenHost(QStringView text)
{
    const qsizetype start = text.indexOf(u"://");
    if (start < 0) {
        return {};
    }
    QStringView authority = text.sliced(start + 3);
    for (qsizetype i = 0; i < authority.size(); ++i) {
        const QChar c = authority[i];
        if (c == u'/' || c == u'?' || c == u'#') {
            authority = authority.first(i);
            break;
        }
    }
    if (const qsizetype at = authority.lastIndexOf(u'@'); at >= 0) {
        authority = authority.sliced(at + 1);
    }
    if (authority.startsWith(u'[')) {
        const qsizetype close = authority.indexOf(u']');
        return close < 0 ? authority : authority.first(close + 1);
    }
    const qsizetype colon = authority.indexOf(u':');
    return colon < 0 ? authority : authority.first(colon);
}

} // namespace

std::optional<QUrl> configuredURL(const QString &text)
{
    QUrl url(text, QUrl::StrictMode);
    if (text.isEmpty() || !url.isValid()) {
        return std::nullopt;
    }
    return url;
}

bool isAllowedConfiguredURL(const QString &text)
{
    const std::optional<QUrl> url = configuredURL(text);
    if (!url) {
        return false;
    }
    if (!url->userInfo().isNull() || url->hasQuery() || url->hasFragment()) {
        return false;
    }
    if (url->host().isEmpty()) {
        return false;
    }
    const QString scheme = url->scheme().toLower();
    if (scheme == QLatin1String("https")) {
        return true;
    }
    if (scheme == QLatin1String("http")) {
        const QStringView host = writtenHost(text);
        return host == QLatin1String("127.0.0.1") || host == QLatin1String("localhost");
    }
    return false;
}

} // namespace veyra
