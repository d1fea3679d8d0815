#include "translation/http/HTTPRedirectPolicy.h"

#include "translation/http/HTTPMessage.h"

#include <QHostAddress>
#include <QNetworkInterface>

#include <algorithm>

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

// Whether the host, as written, names this machine: "localhost" and its subdomains
// resolve to loopback, with or without the trailing dot of a full name; an address is
// judged by isAddressOfThisMachine(). QUrl has already turned every spelling of an IPv4
// address (0x7f.1, 2130706433, 127.1, 0177.0.0.1) into its dotted form and every IPv6
// address into its shortest one.
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
    return address.setAddress(host) && isAddressOfThisMachine(address);
}

bool isAddress(const QString &urlHost)
{
    return QHostAddress().setAddress(urlHost);
}

bool carriesCredentials(const HTTPHeaders &headers)
{
    return headers.contains("Authorization") || headers.contains("Proxy-Authorization") || headers.contains("Cookie");
}

} // namespace

bool isAddressOfThisMachine(const QHostAddress &address)
{
    bool isIPv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIPv4);
    if (isIPv4) {
        // Also an IPv4-mapped IPv6 address, and "::", which Qt reads as 0.0.0.0.
        const quint32 network = ipv4 >> 24;
        if (network == 127 || network == 0) {
            return true;
        }
    } else if (address.isLoopback()) {
        return true;
    }
    // A service listening on every interface is reached through each of their addresses.
    const QList<QHostAddress> own = QNetworkInterface::allAddresses();
    return std::any_of(own.begin(), own.end(), [&address](const QHostAddress &interfaceAddress) {
        return address.isEqual(interfaceAddress, QHostAddress::TolerantConversion);
    });
}

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

bool redirectNeedsResolvedHost(HTTPRedirectPolicy policy, const QUrl &from, const QUrl &target)
{
    return policy == HTTPRedirectPolicy::anyOriginOverHTTPS && !isThisMachine(from.host()) && !isAddress(target.host())
        && from.host().compare(target.host(), Qt::CaseInsensitive) != 0;
}

} // namespace veyra
