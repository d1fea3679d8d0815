#pragma once

#include <QUrl>

namespace veyra {

class HTTPHeaders;

// Where a request may be redirected to.
enum class HTTPRedirectPolicy {
    // Only to the request's own scheme, host and port, so that no header the caller set
    // travels to another host.
    sameOrigin,
    // To any https URL, and to http only on 127.0.0.1 or localhost: for downloads that
    // carry no credentials and whose content is verified on its own (a signature), so
    // that the host serving them does not matter.
    anyOriginOverHTTPS,
};

// True when a request carries credentials of its own (an Authorization or Cookie
// header): such a request is never redirected to another origin, whatever its policy.
bool carriesCredentials(const HTTPHeaders &headers);

// Whether a redirect from a request to `requestURL` may be followed to `target`.
// Every redirect must have a scheme and a host and no user information; same origin
// compares scheme, host (both case-insensitively) and port (the scheme's default when
// none is written).
bool isRedirectAllowed(
    HTTPRedirectPolicy policy, const QUrl &requestURL, const QUrl &target, bool requestCarriesCredentials);

} // namespace veyra
