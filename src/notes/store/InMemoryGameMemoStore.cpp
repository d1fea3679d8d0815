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

StoredGameMemos InMemoryGameMemoStore::read()
{
    return {load(), QByteArray::number(m_revision)};
}

void InMemoryGameMemoStore::save(const QVector<GameMemoEntry> &entries)
{
    if (m_saveError) {
        std::rethrow_exception(m_saveError);
    }
    m_entries = entries;
    ++m_revision;
}

bool InMemoryGameMemoStore::saveIfUnchanged(const QVector<GameMemoEntry> &entries, const QByteArray &revision)
{
    if (revision != QByteArray::number(m_revision)) {
        return false;
    }
    save(entries);
    return true;
}

bool InMemoryGameMemoStore::canHold(const QVector<GameMemoEntry> &) const
{
    return true;
}

QStringList InMemoryGameMemoStore::keepAside(const QVector<GameMemoEntry> &entries,
    const std::optional<QVector<GameMemoEntry>> &lastRead, const QDateTime &, const QStringList &previous)
{
    if (m_saveError) {
        std::rethrow_exception(m_saveError);
    }
    const QString name = previous.isEmpty() ? QStringLiteral("memory #%1").arg(++m_copiesMade) : previous.first();
    m_keptAside.insert(name, entries);
    if (lastRead) {
        m_keptAsideLastRead.insert(name, *lastRead);
    } else {
        m_keptAsideLastRead.remove(name);
    }
    for (const QString &earlier : previous) {
        if (earlier != name) {
            removeKeptAside(earlier);
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
        const auto lastRead = m_keptAsideLastRead.constFind(name);
        copies.append({name, m_keptAside.value(name),
            lastRead == m_keptAsideLastRead.constEnd() ? std::nullopt : std::make_optional(*lastRead), nullptr});
    }
    return copies;
}

void InMemoryGameMemoStore::removeKeptAside(const QString &location)
{
    m_keptAside.remove(location);
    m_keptAsideLastRead.remove(location);
}

QString InMemoryGameMemoStore::location() const
{
    return QStringLiteral("memory");
}

} // namespace veyra
