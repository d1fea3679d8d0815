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

QString InMemoryGameMemoStore::keepAside(
    const QVector<GameMemoEntry> &entries, const QDateTime &, const QString &previous)
{
    if (m_saveError) {
        std::rethrow_exception(m_saveError);
    }
    const QString name = previous.isEmpty() ? QStringLiteral("memory #%1").arg(m_keptAside.size() + 1) : previous;
    m_keptAside.insert(name, entries);
    return name;
}

QString InMemoryGameMemoStore::location() const
{
    return QStringLiteral("memory");
}

} // namespace veyra
