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

std::optional<QVector<GameMemoEntry>> InMemoryGameMemoStore::loadIfStored()
{
    return load();
}

void InMemoryGameMemoStore::save(const QVector<GameMemoEntry> &entries)
{
    if (m_saveError) {
        std::rethrow_exception(m_saveError);
    }
    m_entries = entries;
}

bool InMemoryGameMemoStore::canHold(const QVector<GameMemoEntry> &) const
{
    return true;
}

QStringList InMemoryGameMemoStore::keepAside(
    const QVector<GameMemoEntry> &entries, const QDateTime &, const QStringList &previous)
{
    if (m_saveError) {
        std::rethrow_exception(m_saveError);
    }
    const QString name = previous.isEmpty() ? QStringLiteral("memory #%1").arg(++m_copiesMade) : previous.first();
    m_keptAside.insert(name, entries);
    for (const QString &earlier : previous) {
        if (earlier != name) {
            m_keptAside.remove(earlier);
        }
    }
    return {name};
}

QVector<KeptGameMemoCopy> InMemoryGameMemoStore::loadKeptAside()
{
    if (m_loadError) {
        std::rethrow_exception(m_loadError);
    }
    QStringList names = m_keptAside.keys();
    names.sort();
    QVector<KeptGameMemoCopy> copies;
    for (const QString &name : names) {
        copies.append({name, m_keptAside.value(name), nullptr});
    }
    return copies;
}

void InMemoryGameMemoStore::removeKeptAside(const QString &location)
{
    m_keptAside.remove(location);
}

QString InMemoryGameMemoStore::location() const
{
    return QStringLiteral("memory");
}

} // namespace veyra
