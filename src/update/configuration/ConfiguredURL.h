#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace veyra {

// The URL a configuration text stands for, when the text parses strictly as one.
std::optional<QUrl> configuredURL(const QString &text);

// The rule every URL of the update configuration obeys. The text is the URL as written,
// because the rule looks at the host as written (QUrl lower-cases it):
// - no user, password (an "@" with nothing before it counts), query or fragment;
// - a host;
// - the scheme, in any case, is "https"; or it is "http" and the host is written exactly
//   "127.0.0.1" or "localhost".
// A text that does not parse as a URL fails the rule.
bool isAllowedConfiguredURL(const QString &text);

} // namespace veyra
