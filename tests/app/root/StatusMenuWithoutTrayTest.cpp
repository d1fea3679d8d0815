// Test label: e2e
// On a desktop without a system tray (a window manager alone: openbox, metacity, xfwm4
// with its compositor off and on), every command of the status menu stays in reach during
// play over a full-screen game: a right click on the overlay's control strip opens the
// menu. The real veyra executable in fixture mode, driven only by a player's pointer
// (XTEST) on what is read off the screen (Tesseract): it opens Settings from there, and
// quits from there.
#include "foundation/identity/AppIdentity.h"
#include "support/RunTask.h"
#include "support/ScreenText.h"
#include "support/TestGameWindow.h"
#include "support/VeyraProcess.h"
#include "support/X11Desktop.h"
#include "support/X11Probe.h"
#include "support/XTestPointer.h"
#include "support/XvfbSession.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <iostream>
#include <utility>

using namespace veyra;
using namespace veyra::test;

namespace {

// Generous for a loaded machine; every wait ends as soon as its condition holds.
constexpr int startTimeoutMs = 120000;
constexpr int stepTimeoutMs = 60000;
constexpr int readingPauseMs = 100;

// A desktop without a tray: its window manager, and whether that one composites.
struct TraylessDesktop
{
    XvfbSession::WindowManager manager;
    bool compositor = false;
};

void PrintTo(const TraylessDesktop &desktop, std::ostream *stream)
{
    *stream << XvfbSession::name(desktop.manager).toStdString() << (desktop.compositor ? " composited" : "");
}

class StatusMenuWithoutTray : public ::testing::TestWithParam<TraylessDesktop>
{
protected:
    static XvfbSession::Options sessionOptions()
    {
        XvfbSession::Options options;
        options.manager = GetParam().manager;
        options.windowManagerCompositor = GetParam().compositor;
        return options;
    }

    void SetUp() override
    {
        ASSERT_TRUE(x11.isRunning()) << x11.errorString().toStdString();
        ASSERT_TRUE(home.isValid() && desktop.isValid() && pointer.isValid() && reader.isValid());
        ASSERT_EQ(
            x11.isComposited(), GetParam().compositor || GetParam().manager == XvfbSession::WindowManager::metacity);
    }

    // Where the phrase shows inside the area of the screen, as soon as it does.
    std::optional<QRect> waitForText(const QRect &area, const QString &phrase, int timeoutMs = stepTimeoutMs)
    {
        std::optional<QRect> found;
        waitUntil(
            [&] {
                const QVector<ScreenWord> words = reader.read(desktop.screenshot(), area,
                    [&](const QVector<ScreenWord> &read) { return findPhrase(read, phrase).has_value(); });
                m_lastReading = screenText(words);
                found = findPhrase(words, phrase);
                return found.has_value();
            },
            timeoutMs, readingPauseMs);
        return found;
    }

    bool clickText(const QRect &area, const QString &phrase, int timeoutMs = stepTimeoutMs)
    {
        const std::optional<QRect> place = waitForText(area, phrase, timeoutMs);
        if (!place) {
            ADD_FAILURE() << '"' << phrase.toStdString() << "\" does not show; the screen reads:\n"
                          << m_lastReading.toStdString();
            return false;
        }
        pointer.clickAt(place->center());
        return true;
    }

    std::optional<QRect> windowArea(const QString &title)
    {
        const std::optional<X11ManagedWindow> window = desktop.viewableWindow(title);
        return window ? std::optional<QRect>(window->geometry) : std::nullopt;
    }

    std::optional<QRect> waitForWindowArea(const QString &title)
    {
        std::optional<QRect> area;
        waitUntil(
            [&] {
                area = windowArea(title);
                return area.has_value();
            },
            stepTimeoutMs, readingPauseMs);
        return area;
    }

    // A right click on the strip (in the overlay's bottom-right corner) and a click on the
    // item of the menu it opens.
    bool chooseFromStripMenu(const QString &item)
    {
        // The overlay where it stays, showing its card (painted where X has it).
        std::optional<QRect> overlay;
        std::optional<QRect> last;
        if (!waitUntil(
                [&] {
                    last = std::exchange(overlay, windowArea(overlayWindowTitle()));
                    return overlay && overlay == last;
                },
                stepTimeoutMs, readingPauseMs)
            || !waitForText(*overlay, QStringLiteral("Capture areas required"))) {
            ADD_FAILURE() << "the overlay is not on the screen; it reads:\n" << m_lastReading.toStdString();
            return false;
        }
        pointer.rightClickAt(QPoint(overlay->right() - 10 - 78, overlay->bottom() - 10 - 19));
        // The menu: a window of its own that no window manager manages.
        std::optional<QRect> menu;
        if (!waitUntil(
                [&] {
                    for (const X11ManagedWindow &window : desktop.unmanagedWindows()) {
                        if (window.isViewable && window.title != overlayWindowTitle() && window.geometry.width() > 100
                            && window.geometry.height() > 100) {
                            menu = window.geometry;
                        }
                    }
                    return menu.has_value();
                },
                stepTimeoutMs, readingPauseMs)) {
            ADD_FAILURE() << "no menu opens on the strip";
            return false;
        }
        return clickText(*menu, item);
    }

    XvfbSession x11{sessionOptions()};
    QTemporaryDir home;
    X11Desktop desktop{x11.display()};
    X11Probe probe{x11.display()};
    XTestPointer pointer{x11.display()};
    ScreenTextReader reader;
    QString m_lastReading;
};

} // namespace

TEST_P(StatusMenuWithoutTray, TheStripsMenuOpensSettingsAndQuitsOverAFullScreenGame)
{
    ASSERT_FALSE(probe.isSelectionOwned("_NET_SYSTEM_TRAY_S0")) << "this desktop has a tray";
    VeyraProcess::Options options;
    options.arguments = {QStringLiteral("--ui-testing")};
    options.homeFolder = home.path();
    VeyraProcess veyra(x11, options);
    ASSERT_TRUE(veyra.isRunning()) << veyra.errorString().toStdString();

    // To play: the fixture's game in the window picker.
    const QString mainTitle = appDisplayName();
    const std::optional<QRect> main = waitForWindowArea(mainTitle);
    ASSERT_TRUE(main) << veyra.output().toStdString();
    ASSERT_TRUE(waitForText(*main, QStringLiteral("Which game are we playing?"), startTimeoutMs))
        << m_lastReading.toStdString();
    ASSERT_TRUE(clickText(*main, QStringLiteral("Pixel Harbor")));
    ASSERT_TRUE(clickText(*main, QStringLiteral("Starlight Voyage")));
    ASSERT_TRUE(clickText(*main, QStringLiteral("Play with Veyra")));
    ASSERT_TRUE(waitUntil([&] { return !desktop.viewableWindow(mainTitle); }, stepTimeoutMs, readingPauseMs))
        << "the main window stays during play";

    // The player goes to the game, full screen, and clicks into it.
    TestGameWindow::Options gameOptions;
    gameOptions.title = QStringLiteral("Starlight Voyage");
    gameOptions.text = QStringLiteral("The gate opens at dawn.");
    gameOptions.fullScreen = true;
    TestGameWindow game(x11, gameOptions);
    ASSERT_TRUE(game.isRunning()) << game.errorString().toStdString();
    const QRect screen(QPoint(0, 0), QSize(XvfbSession::Options().width, XvfbSession::Options().height));
    ASSERT_TRUE(waitUntil([&] { return probe.geometry(game.windowID()) == screen; }, stepTimeoutMs, readingPauseMs));
    pointer.clickAt(QPoint(40, 40));
    ASSERT_TRUE(waitUntil([&] { return probe.inputFocus() == game.windowID(); }, stepTimeoutMs, readingPauseMs))
        << "the game does not take the focus";

    // Settings… from the strip's menu: the Settings window (760 x 580) comes.
    ASSERT_TRUE(chooseFromStripMenu(QStringLiteral("Settings")));
    EXPECT_TRUE(waitUntil(
        [&] {
            const std::optional<X11ManagedWindow> settings = desktop.viewableWindow(mainTitle);
            return settings && settings->geometry.size() == QSize(760, 580);
        },
        stepTimeoutMs, readingPauseMs))
        << veyra.output().toStdString();
    // In front, over the full-screen game.
    const std::optional<QRect> settings = windowArea(mainTitle);
    ASSERT_TRUE(settings);
    EXPECT_TRUE(waitForText(*settings, QStringLiteral("General")))
        << "the Settings window is not in front; the screen reads there:\n"
        << m_lastReading.toStdString();

    // Quit from the strip's menu: the application ends, cleanly.
    ASSERT_TRUE(chooseFromStripMenu(QStringLiteral("Quit")));
    EXPECT_TRUE(veyra.waitForExit()) << veyra.output().toStdString();
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, StatusMenuWithoutTray,
    ::testing::Values(TraylessDesktop{XvfbSession::WindowManager::openbox},
        TraylessDesktop{XvfbSession::WindowManager::metacity}, TraylessDesktop{XvfbSession::WindowManager::xfwm4},
        TraylessDesktop{XvfbSession::WindowManager::xfwm4, true}),
    [](const ::testing::TestParamInfo<TraylessDesktop> &info) {
        return XvfbSession::name(info.param.manager).toStdString() + (info.param.compositor ? "Composited" : "");
    });
