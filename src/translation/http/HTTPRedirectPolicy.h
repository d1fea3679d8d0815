#pragma once

#include <QByteArray>
#include <QUrl>

class QHostAddress;

namespace veyra {

class HTTPHeaders;

// Where a request may be redirected to.
enum class HTTPRedirectPolicy {
    // Only to the request's own scheme, host and port, so that no header the caller set
    // travels to another host.
    sameOrigin,
    // To any https URL: for downloads that carry no credentials and whose content is
    // verified on its own (a signature), so that the host serving them does not matter.
    // This machine itself (isAddressOfThisMachine(), in any spelling, or a name that
    // resolves to it: redirectNeedsResolvedHost()) and plain http are reached only from a
    // URL on this machine (a server of the player's own, or of a test): no host elsewhere
    // can send the request to a service on the player's machine.
    anyOriginOverHTTPS,
};

// Whether the next hop of a redirect carries what must never reach another origin,
// whatever the policy: credentials (an Authorization, Proxy-Authorization or Cookie
// header) on any redirect; and on a 307 or 308, which send the request again as it
// was, a body, a method other than GET or HEAD, or any header the caller set.
// `callerHeaders` are the caller's own, without what the transport adds.
bool keepsToItsOrigin(int status, const QByteArray &method, const QByteArray &body, const HTTPHeaders &callerHeaders);

// Whether a redirect from `from` (the URL that answered with it) may be followed to
// `target`. Every redirect must have a scheme and a host and no user information; same
// origin compares scheme, host (both case-insensitively) and port (the scheme's default
// when none is written). With `keepToOrigin` (keepsToItsOrigin()) only the same origin is
// allowed, whatever the policy.
bool isRedirectAllowed(HTTPRedirectPolicy policy, const QUrl &from, const QUrl &target, bool keepToOrigin);

// Whether a connection to the address ends on this machine: a loopback address
// (127.0.0.0/8, ::1, also IPv4-mapped), an unspecified one (0.0.0.0/8, ::) or an address
// of one of its network interfaces.
bool isAddressOfThisMachine(const QHostAddress &address);

// Whether a redirect that isRedirectAllowed() lets through may be followed only once the
// target's host name is resolved and none of its addresses is of this machine
// (isAddressOfThisMachine()): under anyOriginOverHTTPS, from a URL that is not on this
// machine to another host written as a name. A name whose answer changes between that lookup
// and the connection's own is beyond this check.
bool redirectNeedsResolvedHost(HTTPRedirectPolicy policy, const QUrl &from, const QUrl &target);

} // namespace veyra
