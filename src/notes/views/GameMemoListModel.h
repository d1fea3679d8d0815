#pragma once

#include "notes/store/GameMemoEntry.h"

#include <QAbstractListModel>
#include <QVector>

#include <optional>

namespace veyra {

// The rows of the notes window's list: one per listed note, in the order given (the notes
// model's sortedEntries()). Display role: the note's display title.
class GameMemoListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role { applicationNameRole = Qt::UserRole + 1, updatedAtRole };

    explicit GameMemoListModel(QObject *parent = nullptr);

    // Replaces the rows: a list of the same notes in the same order only changes the
    // rows' data, so a selection and the scroll position survive typing.
    void setEntries(QVector<GameMemoEntry> entries);

    const QVector<GameMemoEntry> &entries() const { return m_entries; }
    const GameWindowProfileKey &keyAt(int row) const { return m_entries.at(row).key; }
    // The row of the note with the key, if it is listed.
    std::optional<int> rowOf(const GameWindowProfileKey &key) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    QVector<GameMemoEntry> m_entries;
};

} // namespace veyra
