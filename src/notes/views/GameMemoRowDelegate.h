#pragma once

#include <QDateTime>
#include <QStyledItemDelegate>

#include <functional>

namespace veyra {

// Draws a row of the notes list: the display title (headline, one line), the
// application name (caption, secondary) and how long ago the note changed (caption2,
// tertiary), 3 pixels apart. All three are drawn as plain text.
class GameMemoRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using Now = std::function<QDateTime()>;

    explicit GameMemoRowDelegate(Now now, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The three texts of a row, as drawn.
    struct RowTexts
    {
        QString title;
        QString applicationName;
        QString updated;
    };
    RowTexts rowTexts(const QModelIndex &index, const QLocale &locale) const;

private:
    Now m_now;
};

} // namespace veyra
