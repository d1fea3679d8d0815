#include "notes/store/InternetDateTime.h"

#include <QRegularExpression>
#include <QTimeZone>

namespace veyra {

QString internetDateTimeString(const QDateTime &date)
{
    const QDateTime utc = date.toUTC();
    return utc.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'"));
}

std::optional<QDateTime> internetDateTimeFromString(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(\d{4})-(\d{2})-(\d{2})T(\d{2}):(\d{2}):(\d{2})(?:(Z)|([+-])(\d{2}):(\d{2}))\z)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const auto number = [&match](int group) { return match.captured(group).toInt(); };
    const QDate day(number(1), number(2), number(3));
    const QTime time(number(4), number(5), number(6));
    if (!day.isValid() || !time.isValid()) {
        return std::nullopt;
    }
    int offsetSeconds = 0;
    if (!match.hasCaptured(7)) {
        const int hours = number(9);
        const int minutes = number(10);
        if (hours > 23 || minutes > 59) {
            return std::nullopt;
        }
        offsetSeconds = (hours * 60 + minutes) * 60;
        if (match.captured(8) == QLatin1String("-")) {
            offsetSeconds = -offsetSeconds;
        }
    }
    const QDateTime local(day, time, QTimeZone(offsetSeconds));
    return local.toUTC();
}

} // namespace veyra
