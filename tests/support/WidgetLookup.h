#pragma once

#include "support/RunTask.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QString>
#include <QTest>
#include <QWidget>

namespace veyra::test {

// The widget below `root` with that object name (its accessibility identifier).
template <typename T = QWidget>
T *named(const QWidget &root, const QString &name)
{
    return root.findChild<T *>(name);
}

// Whether a widget of that name exists below `root` and would be visible with it.
inline bool isShownIn(const QWidget &root, const QString &name)
{
    const QWidget *widget = root.findChild<QWidget *>(name);
    return widget != nullptr && widget->isVisibleTo(&root);
}

// Waits until the button is laid out, shown and enabled, as a player would, then clicks it once.
inline bool clickWhenReady(const QWidget &root, const QString &name)
{
    auto ready = [&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        const auto *button = named<QAbstractButton>(root, name);
        return button != nullptr && button->isVisible() && button->isEnabled();
    };
    if (!waitUntil(ready)) {
        return false;
    }
    auto *button = named<QAbstractButton>(root, name);
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    return true;
}

} // namespace veyra::test
