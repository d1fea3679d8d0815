#include "notes/views/RelativeDateText.h"

#include "foundation/language/LocalizedString.h"

namespace veyra {

QString relativeDateText(const QDateTime &date, const QDateTime &now, const QLocale &locale)
{
    const qint64 seconds = date.secsTo(now);
    constexpr qint64 minute = 60;
    constexpr qint64 hour = 60 * minute;
    constexpr qint64 day = 24 * hour;
    if (seconds < minute) {
        return localizedString(QT_TRANSLATE_NOOP("Veyra", "Just now"));
    }
    if (seconds < hour) {
        return localizedFormat(QT_TRANSLATE_NOOP("Veyra", "%@ min ago"), {locale.toString(seconds / minute)});
    }
    if (seconds < day) {
        return localizedFormat(QT_TRANSLATE_NOOP("Veyra", "%@ hr ago"), {locale.toString(seconds / hour)});
    }
    if (seconds < 2 * day) {
        return localizedString(QT_TRANSLATE_NOOP("Veyra", "1 day ago"));
    }
    if (seconds < 7 * day) {
        return localizedFormat(QT_TRANSLATE_NOOP("Veyra", "%@ days ago"), {locale.toString(seconds / day)});
    }
    return locale.toString(date.toLocalTime().date(), QLocale::ShortFormat);
}

} // namespace veyra
