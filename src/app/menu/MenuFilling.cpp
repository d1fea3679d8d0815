#include "app/menu/MenuFilling.h"

#include "app/style/ScreenStyle.h"
#include "brand/BrandIcons.h"

#include <QAction>
#include <QHash>
#include <QIcon>
#include <QMenu>

namespace veyra {

namespace {

constexpr int symbolSide = 16;

// The item's symbol in the menu's colours, made once for each symbol and colours: the
// menus are filled again at every opening and change of phase, and a menu draws an icon's
// pictures into QPixmapCache under keys of those pictures, so an icon made anew at every
// filling would leave more pictures there each time the menu is drawn.
QIcon symbolIcon(StatusMenuItem item, const QMenu &menu)
{
    const QPalette palette = menu.palette();
    const QColor normal = palette.color(QPalette::Active, QPalette::WindowText);
    const QColor active = palette.color(QPalette::Active, QPalette::HighlightedText);
    const QColor disabled = palette.color(QPalette::Disabled, QPalette::WindowText);
    const QString symbol = statusMenuItemSymbol(item);
    const QString key = QStringLiteral("%1 %2 %3 %4")
                            .arg(symbol)
                            .arg(normal.rgba(), 0, 16)
                            .arg(active.rgba(), 0, 16)
                            .arg(disabled.rgba(), 0, 16);
    // Kept for the process (a few symbols in a few colours), never destroyed after the
    // application object.
    static auto *icons = new QHash<QString, QIcon>;
    if (const auto found = icons->constFind(key); found != icons->constEnd()) {
        return *found;
    }
    QIcon icon;
    for (const qreal ratio : {1.0, 2.0}) {
        icon.addPixmap(symbolPixmap(symbol, QSize(symbolSide, symbolSide), normal, ratio), QIcon::Normal);
        icon.addPixmap(symbolPixmap(symbol, QSize(symbolSide, symbolSide), active, ratio), QIcon::Active);
        icon.addPixmap(symbolPixmap(symbol, QSize(symbolSide, symbolSide), disabled, ratio), QIcon::Disabled);
    }
    icons->insert(key, icon);
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
