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
    void save(const QVector<GameMemoEntry> &entries) override;
    // Keeps the notes in keptAside() (or fails with the save error) and names the copy
    // "memory #n", n counting the copies made under a new name.
    QString keepAside(const QVector<GameMemoEntry> &entries, const QDateTime &at, const QString &previous) override;
    QString location() const override;

    const QVector<GameMemoEntry> &entries() const { return m_entries; }
    void setEntries(QVector<GameMemoEntry> entries) { m_entries = std::move(entries); }
    std::exception_ptr loadError() const { return m_loadError; }
    void setLoadError(std::exception_ptr error) { m_loadError = std::move(error); }
    std::exception_ptr saveError() const { return m_saveError; }
    void setSaveError(std::exception_ptr error) { m_saveError = std::move(error); }
    // The last notes kept aside under each name given.
    const QHash<QString, QVector<GameMemoEntry>> &keptAside() const { return m_keptAside; }

private:
    QVector<GameMemoEntry> m_entries;
    std::exception_ptr m_loadError;
    std::exception_ptr m_saveError;
    QHash<QString, QVector<GameMemoEntry>> m_keptAside;
};

} // namespace veyra
