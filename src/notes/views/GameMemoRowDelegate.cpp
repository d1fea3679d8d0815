#include "notes/views/GameMemoRowDelegate.h"

#include "notes/views/GameMemoListModel.h"
#include "notes/views/GameMemoStyle.h"
#include "notes/views/RelativeDateText.h"

#include <QApplication>
#include <QPainter>

namespace veyra {

namespace {
constexpr int horizontalPadding = 10;
constexpr int verticalPadding = 7;
constexpr int lineSpacing = 3;

using gameMemoStyle::TextStyle;
} // namespace

GameMemoRowDelegate::GameMemoRowDelegate(Now now, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_now(std::move(now))
{ }

GameMemoRowDelegate::RowTexts GameMemoRowDelegate::rowTexts(const QModelIndex &index, const QLocale &locale) const
{
    return {index.data(Qt::DisplayRole).toString(), index.data(GameMemoListModel::applicationNameRole).toString(),
        relativeDateText(index.data(GameMemoListModel::updatedAtRole).toDateTime(), m_now(), locale)};
}

void GameMemoRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem panel = option;
    initStyleOption(&panel, index);
    panel.text.clear();
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &panel, painter, widget);

    const RowTexts texts = rowTexts(index, option.locale);
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const QPalette::ColorGroup group
        = option.state.testFlag(QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
    QPalette palette = option.palette;
    palette.setCurrentColorGroup(group);
    if (selected) {
        palette.setColor(QPalette::WindowText, palette.color(QPalette::HighlightedText));
    }

    const QRect area = option.rect.adjusted(horizontalPadding, verticalPadding, -horizontalPadding, -verticalPadding);
    int top = area.top();
    const auto drawLine = [&](const QString &text, TextStyle style, const QColor &color) {
        const QFont font = gameMemoStyle::font(style, option.font);
        const QFontMetrics metrics(font);
        painter->setFont(font);
        painter->setPen(color);
        const QRect line(area.left(), top, area.width(), metrics.height());
        painter->drawText(line, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
            metrics.elidedText(
                QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')), Qt::ElideRight, line.width()));
        top += metrics.height() + lineSpacing;
    };
    painter->save();
    drawLine(texts.title, TextStyle::headline, palette.color(QPalette::WindowText));
    drawLine(texts.applicationName, TextStyle::caption, gameMemoStyle::secondaryText(palette));
    drawLine(texts.updated, TextStyle::caption2, gameMemoStyle::tertiaryText(palette));
    painter->restore();
}

QSize GameMemoRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    int height = 2 * verticalPadding + 2 * lineSpacing;
    for (const TextStyle style : {TextStyle::headline, TextStyle::caption, TextStyle::caption2}) {
        height += QFontMetrics(gameMemoStyle::font(style, option.font)).height();
    }
    return {option.rect.width(), height};
}

} // namespace veyra
