#pragma once

#include "notes/store/InMemoryGameMemoStore.h"

#include <QVector>

#include <functional>

namespace veyra::test {

// An in-memory note store that records every save it is asked for (failed ones too) and
// can run a check while a save is under way.
class RecordingGameMemoStore : public InMemoryGameMemoStore
{
public:
    using InMemoryGameMemoStore::InMemoryGameMemoStore;

    void save(const QVector<GameMemoEntry> &entries) override
    {
        saves.append(entries);
        if (duringSave) {
            duringSave();
        }
        InMemoryGameMemoStore::save(entries);
    }

    QVector<QVector<GameMemoEntry>> saves;
    std::function<void()> duringSave;
};

// Dates that move on by one second at each reading, so that every edit is newer.
class SteppingClock
{
public:
    QDateTime operator()()
    {
        m_now = m_now.addSecs(1);
        return m_now;
    }

private:
    QDateTime m_now = QDateTime(QDate(2024, 3, 1), QTime(12, 0), Qt::UTC);
};

} // namespace veyra::test
