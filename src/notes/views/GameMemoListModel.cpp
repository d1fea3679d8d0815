#include "notes/views/GameMemoListModel.h"

#include "notes/views/ShownNoteTitle.h"

#include <algorithm>

namespace veyra {

GameMemoListModel::GameMemoListModel(QObject *parent)
    : QAbstractListModel(parent)
{ }

void GameMemoListModel::setEntries(QVector<GameMemoEntry> entries)
{
    const bool sameRows = entries.size() == m_entries.size()
        && std::equal(entries.cbegin(), entries.cend(), m_entries.cbegin(),
            [](const GameMemoEntry &a, const GameMemoEntry &b) { return a.key == b.key; });
    if (!sameRows) {
        beginResetModel();
        m_entries = std::move(entries);
        endResetModel();
        return;
    }
    if (entries == m_entries) {
        return;
    }
    m_entries = std::move(entries);
    Q_EMIT dataChanged(index(0), index(static_cast<int>(m_entries.size()) - 1));
}

std::optional<int> GameMemoListModel::rowOf(const GameWindowProfileKey &key) const
{
    for (int row = 0; row < m_entries.size(); ++row) {
        if (m_entries.at(row).key == key) {
            return row;
        }
    }
    return std::nullopt;
}

int GameMemoListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
}

QVariant GameMemoListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_entries.size()) {
        return {};
    }
    const GameMemoEntry &entry = m_entries.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return shownNoteTitle(entry.displayTitle());
    case applicationNameRole:
        return entry.applicationName;
    case updatedAtRole:
        return entry.updatedAt;
    default:
        return {};
    }
}

} // namespace veyra
