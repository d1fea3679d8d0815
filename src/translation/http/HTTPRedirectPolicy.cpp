#include "translation/http/HTTPRedirectPolicy.h"

#include "translation/http/HTTPMessage.h"

#include <QHostAddress>

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

// Whether a connection to the host ends on this machine, however the host is written.
// QUrl has already turned every spelling of an IPv4 address (0x7f.1, 2130706433, 127.1,
// 0177.0.0.1) into its dotted form and every IPv6 address into its shortest one. Besides
// the loopback networks (127.0.0.0/8, ::1, also as an IPv4-mapped address), a connection
// to an unspecified address (0.0.0.0/8, ::) reaches this machine too; "localhost" and
// its subdomains resolve to loopback, with or without the trailing dot of a full name.
bool isThisMachine(const QString &urlHost)
{
    QString host = urlHost.toLower();
    if (host.endsWith(QLatin1Char('.'))) {
        host.chop(1);
    }
    if (host == QLatin1String("localhost") || host.endsWith(QLatin1String(".localhost"))) {
        return true;
    }
    QHostAddress address;
    if (!address.setAddress(host)) {
        return false;
    }
    bool isIPv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIPv4);
    if (isIPv4) {
        // Also an IPv4-mapped IPv6 address (and "::", whose IPv4 form is 0.0.0.0).
        const quint32 network = ipv4 >> 24;
        return network == 127 || network == 0;
    }
    return address.isLoopback() || address == QHostAddress(QHostAddress::AnyIPv6);
}

bool carriesCredentials(const HTTPHeaders &headers)
{
    return headers.contains("Authorization") || headers.contains("Proxy-Authorization") || headers.contains("Cookie");
}

} // namespace

bool keepsToItsOrigin(int status, const QByteArray &method, const QByteArray &body, const HTTPHeaders &callerHeaders)
{
    if (carriesCredentials(callerHeaders)) {
        return true;
    }
    const bool sentAgainAsItWas = status == 307 || status == 308;
    const bool safeMethod = method == "GET" || method == "HEAD";
    return sentAgainAsItWas && (!body.isEmpty() || !safeMethod || !callerHeaders.fields().isEmpty());
}

bool isRedirectAllowed(HTTPRedirectPolicy policy, const QUrl &from, const QUrl &target, bool keepToOrigin)
{
    // An "@" without a user name still counts as user information.
    if (!target.isValid() || target.scheme().isEmpty() || target.host().isEmpty() || !target.userInfo().isNull()) {
        return false;
    }
    if (policy == HTTPRedirectPolicy::sameOrigin || keepToOrigin) {
        return isSameOrigin(from, target);
    }
    const QString scheme = target.scheme().toLower();
    if (isThisMachine(target.host())) {
        // A server of this machine may send a download on to another of its own, plain or
        // not; nothing elsewhere may send one here.
        return isThisMachine(from.host()) && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
    }
    return scheme == QLatin1String("https");
}

} // namespace veyra
