#pragma once

#include "app/menu/StatusMenuItem.h"

#include <QVector>

#include <functional>

class QMenu;

namespace veyra {

// The visible items split where the group changes, so that dividers separate the groups
// that are present and never lead or trail.
QVector<QVector<StatusMenuItem>> statusMenuSections(const QVector<StatusMenuItem> &items);

// Replaces the menu's actions with one per item (its localised title and symbol image,
// object name "<item name>", the item in its data), sections divided by separators.
// Triggering an action runs `perform` with its item; `isEnabled` decides its enabled state.
void fillMenu(QMenu &menu, const QVector<QVector<StatusMenuItem>> &sections,
    const std::function<bool(StatusMenuItem)> &isEnabled, const std::function<void(StatusMenuItem)> &perform);

} // namespace veyra
