#pragma once

#include <QString>
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

} // namespace veyra::test
