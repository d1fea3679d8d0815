#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <optional>

class QScreen;
class QWidget;

namespace veyra {

// Where the settings window comes up: centred on the screen the player looks at the first
// time in a run (no larger than that screen's free area, where its content scrolls, and
// with its title bar on the screen), and afterwards where the player last left it (while
// that place is still on a screen). A window manager would otherwise put it wherever it
// likes, often in a corner. Call `place` before each show of the window. GUI thread.
class SettingsWindowPlacement : public QObject
{
    Q_OBJECT

public:
    explicit SettingsWindowPlacement(QObject *parent = nullptr);

    // Places the settings window (not shown) where it comes up next: centred on `screen`
    // the first time, else where it was when last hidden.
    void place(QWidget &window, const QScreen *screen);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_window;
    std::optional<QPoint> m_lastClientPosition;
};

} // namespace veyra
