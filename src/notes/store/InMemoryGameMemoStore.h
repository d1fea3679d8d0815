#pragma once

#include "notes/store/GameMemoStoring.h"

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

    const QVector<GameMemoEntry> &entries() const { return m_entries; }
    void setEntries(QVector<GameMemoEntry> entries) { m_entries = std::move(entries); }
    std::exception_ptr loadError() const { return m_loadError; }
    void setLoadError(std::exception_ptr error) { m_loadError = std::move(error); }
    std::exception_ptr saveError() const { return m_saveError; }
    void setSaveError(std::exception_ptr error) { m_saveError = std::move(error); }

private:
    QVector<GameMemoEntry> m_entries;
    std::exception_ptr m_loadError;
    std::exception_ptr m_saveError;
};

} // namespace veyra
