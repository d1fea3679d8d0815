#pragma once

#include "foundation/errors/Error.h"
#include "foundation/identity/AppIdentity.h"

#include <QStringList>
#include <QUrl>

namespace veyra {

// A configured server URL that is missing, not text, not a URL, or breaks the URL rule.
// Whoever reads a configuration decides what a failure means; the message only reaches
// the log.
class ServerConfigurationError : public Error
{
public:
    enum class Kind {
        invalidBaseURL,
    };

    explicit ServerConfigurationError(Kind kind = Kind::invalidBaseURL);
    Kind kind() const { return m_kind; }

    bool operator==(const ServerConfigurationError &other) const { return m_kind == other.m_kind; }

private:
    Kind m_kind;
};

// The URL rule every configured server URL obeys: a scheme and a host; no user,
// password, query or fragment; "https" with any host, "http" only for "127.0.0.1" and
// "localhost" (scheme and host compared case-insensitively). Returns the URL unchanged
// (port and path included); throws ServerConfigurationError otherwise.
QUrl validateBaseURL(const QUrl &url);

// The translation server every request goes to.
class ServerConfiguration
{
public:
    // Validates the URL with validateBaseURL().
    explicit ServerConfiguration(const QUrl &baseURL);

    // Reads the base URL from an information-dictionary key: the value must be text;
    // it is trimmed, parsed strictly and validated. Throws ServerConfigurationError.
    ServerConfiguration(const InfoDictionary &info, const QString &key);

    const QUrl &baseURL() const { return m_baseURL; }

    // The base URL with the path segments appended, each but the last as a directory:
    // {"v1", "app", "translations"} on "https://host/api" gives
    // "https://host/api/v1/app/translations".
    QUrl endpointURL(const QStringList &pathSegments) const;

    bool operator==(const ServerConfiguration &) const = default;

private:
    QUrl m_baseURL;
};

} // namespace veyra
