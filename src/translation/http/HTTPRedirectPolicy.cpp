#include "translation/http/HTTPRedirectPolicy.h"

#include "translation/http/HTTPMessage.h"

namespace veyra {

namespace {

int defaultPort(const QString &scheme)
{
    if (scheme == QLatin1String("https")) {
        return 443;
    }
    if (scheme == QLatin1String("http")) {
        return 80;
    }
    return -1;
}

bool isSameOrigin(const QUrl &first, const QUrl &second)
{
    const QString scheme = first.scheme().toLower();
    return scheme == second.scheme().toLower() && first.host().toLower() == second.host().toLower()
        && first.port(defaultPort(scheme)) == second.port(defaultPort(scheme));
}

bool isLoopbackHost(const QString &host)
{
    return host == QLatin1String("127.0.0.1") || host == QLatin1String("localhost");
}

} // namespace

bool carriesCredentials(const HTTPHeaders &headers)
{
    return headers.contains("Authorization") || headers.contains("Cookie");
}

bool isRedirectAllowed(
    HTTPRedirectPolicy policy, const QUrl &requestURL, const QUrl &target, bool requestCarriesCredentials)
{
    // An "@" without a user name still counts as user information.
    if (!target.isValid() || target.scheme().isEmpty() || target.host().isEmpty() || !target.userInfo().isNull()) {
        return false;
    }
    if (policy == HTTPRedirectPolicy::sameOrigin || requestCarriesCredentials) {
        return isSameOrigin(requestURL, target);
    }
    const QString scheme = target.scheme().toLower();
    return scheme == QLatin1String("https")
        || (scheme == QLatin1String("http") && isLoopbackHost(target.host().toLower()));
}

} // namespace veyra
