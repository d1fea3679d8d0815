#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace veyra {

// The ISO-8601 internet date-time of Veyra's note file: "YYYY-MM-DDTHH:MM:SSZ" in UTC
// with whole seconds; a fraction of a second is dropped (not rounded).
QString internetDateTimeString(const QDateTime &date);

// Reads the same form strictly: a zone designator ("Z" or "+HH:MM"/"-HH:MM") is required
// and a fraction of a second is refused. The result is in UTC; nothing for any other text.
std::optional<QDateTime> internetDateTimeFromString(const QString &text);

} // namespace veyra
