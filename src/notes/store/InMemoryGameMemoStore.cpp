#include "notes/store/InMemoryGameMemoStore.h"

namespace veyra {

InMemoryGameMemoStore::InMemoryGameMemoStore(
    QVector<GameMemoEntry> entries, std::exception_ptr loadError, std::exception_ptr saveError)
    : m_entries(std::move(entries))
    , m_loadError(std::move(loadError))
    , m_saveError(std::move(saveError))
{ }

QVector<GameMemoEntry> InMemoryGameMemoStore::load()
{
    if (m_loadError) {
        std::rethrow_exception(m_loadError);
    }
    return m_entries;
}

void InMemoryGameMemoStore::save(const QVector<GameMemoEntry> &entries)
{
    if (m_saveError) {
        std::rethrow_exception(m_saveError);
    }
    m_entries = entries;
}

} // namespace veyra
