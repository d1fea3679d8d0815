#pragma once

#include <QObject>

class QWidget;

namespace veyra {

// Gives back the native window and the backing store of each window it watches once that
// window has been closed or hidden (not minimised). Qt keeps both for as long as the widget
// lives, and a backing store is a picture of the whole window in memory shared with the X
// server (3.4 MiB for the capture-area editor at 1180 x 760): the windows the player opens
// now and then would each hold theirs through the whole of play. The next show makes them
// anew, which takes a few milliseconds, where the window was when it went (unless the
// program places it anew). GUI thread.
class HiddenWindowRelease : public QObject
{
    Q_OBJECT

public:
    explicit HiddenWindowRelease(QObject *parent = nullptr);

    // Watches a top-level window for as long as both live.
    void watch(QWidget *window);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static void release(QWidget &window);
};

} // namespace veyra
