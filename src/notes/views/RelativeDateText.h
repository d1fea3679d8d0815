#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace veyra {

// How long ago `date` was, seen at `now`, in the interface language: "Just now" under a
// minute (and for a date in the future), then whole minutes, hours and days ("5 min ago",
// "3 hr ago", "1 day ago", "4 days ago"), and from a week on the date itself in the
// locale's short form. Numbers and dates are written in `locale`.
QString relativeDateText(const QDateTime &date, const QDateTime &now, const QLocale &locale);

} // namespace veyra
