#pragma once

#include "foundation/identity/AppIdentity.h"

#include <QStringList>
#include <QUrl>

namespace veyra {

// The base URL of the service's web pages ("WebAppBaseURL"), valid by the URL rule of
// every configured server URL.
struct WebAppConfiguration
{
    QUrl baseURL;

    // Reads "WebAppBaseURL": text, trimmed, parsed strictly, then validated. Throws
    // ServerConfigurationError.
    static WebAppConfiguration fromInfoDictionary(const InfoDictionary &info);

    // The base URL with path components appended, each but the last as a folder:
    // {"account", "inquiries"} on "https://veyra.app/" gives "https://veyra.app/account/inquiries".
    QUrl pageURL(const QStringList &pathComponents) const;

    bool operator==(const WebAppConfiguration &) const = default;
};

// The URL unchanged in a configuration, or ServerConfigurationError when it breaks the rule.
WebAppConfiguration validateWebAppBaseURL(const QUrl &url);

} // namespace veyra
