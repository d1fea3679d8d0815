#pragma once

#include "update/model/AppUpdateDriving.h"

#include <QApplication>
#include <QList>
#include <QWidget>

namespace veyra::test {

// An update driver that can always check and counts the checks it was asked for.
class CountingUpdateDriver : public AppUpdateDriving
{
public:
    bool canCheckForUpdates() const override { return true; }
    void start() override { }
    void checkForUpdates() override { ++checks; }

    int checks = 0;
};

// The top-level windows on screen now.
inline QList<QWidget *> visibleTopLevelWindows()
{
    QList<QWidget *> windows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible()) {
            windows << widget;
        }
    }
    return windows;
}

} // namespace veyra::test
