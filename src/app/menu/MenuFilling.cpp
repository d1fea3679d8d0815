#include "app/menu/MenuFilling.h"

#include "app/style/ScreenStyle.h"

#include <QAction>
#include <QIcon>
#include <QMenu>

namespace veyra {

namespace {

constexpr int symbolSide = 16;

QIcon symbolIcon(StatusMenuItem item, const QMenu &menu)
{
    const QPalette palette = menu.palette();
    QIcon icon;
    for (const qreal ratio : {1.0, 2.0}) {
        icon.addPixmap(screenStyle::symbolImage(statusMenuItemSymbol(item), symbolSide,
                           palette.color(QPalette::Active, QPalette::WindowText), ratio),
            QIcon::Normal);
        icon.addPixmap(screenStyle::symbolImage(statusMenuItemSymbol(item), symbolSide,
                           palette.color(QPalette::Active, QPalette::HighlightedText), ratio),
            QIcon::Active);
        icon.addPixmap(screenStyle::symbolImage(statusMenuItemSymbol(item), symbolSide,
                           palette.color(QPalette::Disabled, QPalette::WindowText), ratio),
            QIcon::Disabled);
    }
    return icon;
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
