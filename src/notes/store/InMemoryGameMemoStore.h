#pragma once

#include "notes/store/GameMemoStoring.h"

#include <QHash>

#include <exception>

namespace veyra {

// Notes kept in memory for the life of the process (fixture mode and tests). Each
// operation fails with its error when one is set; a failed save keeps the list.
class InMemoryGameMemoStore : public GameMemoStoring
{
public:
    explicit InMemoryGameMemoStore(QVector<GameMemoEntry> entries = {}, std::exception_ptr loadError = nullptr,
        std::exception_ptr saveError = nullptr);

    QVector<GameMemoEntry> load() override;
    // The list, which is always stored (fails with the load error); the revision counts
    // the changes of the list.
    StoredGameMemos read() override;
    void save(const QVector<GameMemoEntry> &entries) override;
    // Saves (through save()) while the list is the one of the revision.
    bool saveIfUnchanged(const QVector<GameMemoEntry> &entries, const QByteArray &revision) override;
    // Holds any number of notes.
    bool canHold(const QVector<GameMemoEntry> &entries) const override;
    // Keeps the notes in keptAside() (or fails with the save error) as one copy, named
    // "memory #n" (n counting the copies made under a new name) or as the first of
    // `previous`; the other copies of `previous` go.
    QStringList keepAside(const QVector<GameMemoEntry> &entries, const std::optional<QVector<GameMemoEntry>> &lastRead,
        const QDateTime &at, const QStringList &previous) override;
    // The copies of keptAside(), in the order of their names (fails with the load error).
    QVector<KeptGameMemoCopy> loadKeptAside() override;
    void removeKeptAside(const QString &location) override;
    QString location() const override;

    const QVector<GameMemoEntry> &entries() const { return m_entries; }
    void setEntries(QVector<GameMemoEntry> entries)
    {
        m_entries = std::move(entries);
        ++m_revision;
    }
    std::exception_ptr loadError() const { return m_loadError; }
    void setLoadError(std::exception_ptr error) { m_loadError = std::move(error); }
    std::exception_ptr saveError() const { return m_saveError; }
    void setSaveError(std::exception_ptr error) { m_saveError = std::move(error); }
    // The last notes kept aside under each name given and not removed since.
    const QHash<QString, QVector<GameMemoEntry>> &keptAside() const { return m_keptAside; }
    // Copies that do not say what was last read of their notes (as an earlier version made them).
    void setKeptAside(QHash<QString, QVector<GameMemoEntry>> copies)
    {
        m_keptAside = std::move(copies);
        m_keptAsideLastRead.clear();
    }

private:
    QVector<GameMemoEntry> m_entries;
    qint64 m_revision = 0;
    std::exception_ptr m_loadError;
    std::exception_ptr m_saveError;
    QHash<QString, QVector<GameMemoEntry>> m_keptAside;
    QHash<QString, QVector<GameMemoEntry>> m_keptAsideLastRead;
    int m_copiesMade = 0;
};

} // namespace veyra
