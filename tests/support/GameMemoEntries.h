#pragma once

#include "notes/model/GameMemoContext.h"
#include "notes/store/GameMemoEntry.h"
#include "support/GatedSleeper.h"
#include "support/RunTask.h"

#include <QDateTime>
#include <QStringList>
#include <QVector>

#include <functional>

namespace veyra::test {

// The note `of` holds with `text`, stored at nine on day `day` of January 2024.
inline GameMemoEntry storedNote(const GameMemoContext &of, const QString &text, int day)
{
    return {of.key, of.applicationName, of.windowTitle, of.representativeGameName, text,
        QDateTime(QDate(2024, 1, day), QTime(9, 0), Qt::UTC)};
}

// The texts of `entries`, in their order.
inline QStringList texts(const QVector<GameMemoEntry> &entries)
{
    QStringList result;
    for (const GameMemoEntry &entry : entries) {
        result.append(entry.text);
    }
    return result;
}

// Lets the sleeps of `sleeper` end one at a time (the notes model reading a stored file
// again after a failed read) until `done` holds; false when it never does.
inline bool releaseUntil(GatedSleeper &sleeper, const std::function<bool()> &done)
{
    return waitUntil([&sleeper, &done] {
        if (done()) {
            return true;
        }
        sleeper.releaseOne();
        return false;
    });
}

} // namespace veyra::test
