#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVector>

#include <cstdint>
#include <memory>
#include <optional>

namespace veyra::test {

class XvfbSession;

// A stand-in game (the program veyra_test_game_window) running on a test X server: a
// window with a painted scene and a dialogue box of a given colour holding given text.
// The constructor starts it and waits until its windows are shown and painted (and, where
// a window manager runs, managed and on the manager's list of windows); the destructor
// ends it. Commands block until the program has carried them out; each wait has a limit
// (support/TimeLimits.h), and one that runs out fails the test with a message.
class TestGameWindow
{
public:
    struct Options
    {
        QString title = QStringLiteral("Test Game");
        QSize size{960, 540};
        std::optional<QPoint> position;
        QColor boxColor{0x1e, 0x2a, 0x44};
        // Inside the window; empty means the lower part, inset.
        QRect boxRect;
        QString text;
        QColor textColor{Qt::white};
        int fontPixelSize = 40;
        // The class part of WM_CLASS (empty: the program's default).
        QString windowClass;
        bool withoutClass = false;
        bool withoutProcessID = false;
        // A utility window instead of a normal one.
        bool tool = false;
        // A dialog window instead of a normal one.
        bool dialog = false;
        // Without decorations, as a "borderless" game window.
        bool frameless = false;
        // May change size (it does in full screen).
        bool resizable = false;
        // In the window manager's full-screen state from the start.
        bool fullScreen = false;
        // Not managed by any window manager (override-redirect), as some full-screen games.
        bool bypassesWindowManager = false;
        // More windows of the same process, one per title.
        QStringList extraWindowTitles;
    };

    TestGameWindow(const XvfbSession &session, Options options);
    ~TestGameWindow();

    TestGameWindow(const TestGameWindow &) = delete;
    TestGameWindow &operator=(const TestGameWindow &) = delete;

    // False when the program did not come up; errorString() says why (and why the last
    // command failed, when one did).
    bool isRunning() const;
    QString errorString() const { return m_error; }

    std::uint32_t windowID() const { return m_windowIDs.value(0); }
    // The main window first, then the extra windows.
    const QVector<std::uint32_t> &windowIDs() const { return m_windowIDs; }
    std::int32_t processID() const;
    QString executablePath() const;

    // The main window's client area in root coordinates, as the program sees it.
    QRect geometry();
    // The main window's current picture, exactly as it was painted.
    QImage picture();

    bool setText(const QString &text);
    bool setTitle(const QString &title);
    bool hide();
    bool show();
    bool minimize();
    bool raise();
    // Into the window manager's full-screen state and back; each returns once the window
    // has its new size and is painted.
    bool enterFullScreen();
    bool leaveFullScreen();
    // The mouse presses the main window has received, or -1 when the program did not answer.
    int clicks();

    // Ends the program and waits until it has exited (its windows are gone then).
    void close();

private:
    // Sends one command and returns the program's answer: empty when it has exited, or
    // when it did not answer in time (the test fails then, and the program is ended).
    QString command(const QString &line);
    // Ends the program at once.
    void stop();

    std::unique_ptr<QProcess> m_process;
    QVector<std::uint32_t> m_windowIDs;
    QString m_error;
};

} // namespace veyra::test
