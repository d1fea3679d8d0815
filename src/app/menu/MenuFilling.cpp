#include "app/menu/MenuFilling.h"

#include "app/style/ScreenStyle.h"
#include "brand/BrandIcons.h"

#include <QAction>
#include <QIcon>
#include <QMenu>

namespace veyra {

namespace {

constexpr int symbolSide = 16;

// The item's symbol in the menu's colours (the menus are filled again at every opening and
// change of phase: one icon per symbol and colours).
QIcon symbolIcon(StatusMenuItem item, const QMenu &menu)
{
    const QPalette palette = menu.palette();
    return tintedSymbolIcon(statusMenuItemSymbol(item), QSize(symbolSide, symbolSide),
        {palette.color(QPalette::Active, QPalette::WindowText),
            palette.color(QPalette::Active, QPalette::HighlightedText),
            palette.color(QPalette::Disabled, QPalette::WindowText)});
}

} // namespace

QVector<QVector<StatusMenuItem>> statusMenuSections(const QVector<StatusMenuItem> &items)
{
    QVector<QVector<StatusMenuItem>> sections;
    for (const StatusMenuItem item : items) {
        if (sections.isEmpty() || statusMenuItemGroup(sections.last().last()) != statusMenuItemGroup(item)) {
            sections.append(QVector<StatusMenuItem>());
        }
        sections.last().append(item);
    }
    return sections;
}

void fillMenu(QMenu &menu, const QVector<QVector<StatusMenuItem>> &sections,
    const std::function<bool(StatusMenuItem)> &isEnabled, const std::function<void(StatusMenuItem)> &perform)
{
    // The previous actions go later: one of them may be the action being triggered now.
    const QList<QAction *> previous = menu.actions();
    for (QAction *action : previous) {
        menu.removeAction(action);
        action->setParent(nullptr);
        action->deleteLater();
    }
    for (const QVector<StatusMenuItem> &section : sections) {
        if (section.isEmpty()) {
            continue;
        }
        if (!menu.actions().isEmpty()) {
            menu.addSeparator();
        }
        for (const StatusMenuItem item : section) {
            QAction *action = menu.addAction(symbolIcon(item, menu), statusMenuItemTitle(item));
            action->setObjectName(statusMenuItemName(item));
            action->setData(static_cast<int>(item));
            action->setEnabled(isEnabled(item));
            QObject::connect(action, &QAction::triggered, &menu, [perform, item] { perform(item); });
        }
    }
}

} // namespace veyra
