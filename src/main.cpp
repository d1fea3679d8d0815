#include "app/launch/LaunchEnvironment.h"
#include "app/launch/QuitReport.h"
#include "app/launch/QuitSignalWatcher.h"
#include "app/launch/SingleInstanceGuard.h"
#include "app/launch/UITestingLaunchOptions.h"
#include "app/launch/X11DisplayCheck.h"
#include "app/root/ApplicationScenes.h"
#include "app/root/ObriskApp.h"
#include "app/session/AppSession.h"
#include "brand/BrandIcons.h"
#include "foundation/async/AsyncTask.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/settings/UserDefaults.h"
#include "overlay/panels/OverlayPanelController.h"
#include "update/model/AppUpdateModel.h"

#include <QApplication>
#include <QWidget>

#include <chrono>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    veyra::restartWithOpenMPThreadLimit(argv);
    veyra::preventSessionBusAutolaunch();
    // Floating panels are placed in global coordinates, which only X11 (or XWayland)
    // allows; Wayland-native windows cannot be positioned by the application.
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    // Qt aborts without a display; Veyra says what it needs instead.
    const veyra::X11DisplayChoice display = veyra::chosenX11Display(argc, argv);
    if (const std::optional<std::string> problem = veyra::x11DisplayProblem(display)) {
        std::fprintf(stderr, "%s\n", problem->c_str());
        return 1;
    }

    // One Veyra per user, whatever the display (two would write over each other's files): a
    // later start on the running one's display hands over to it, one on another display ends
    // saying where Veyra runs; both before it connects to the X server as an application,
    // and before anything reads or writes the player's files, the keyring or the X server's
    // state. Fixture mode keeps nothing and stands apart.
    QStringList arguments;
    for (int index = 0; index < argc; ++index) {
        arguments.append(QString::fromLocal8Bit(argv[index]));
    }
    const bool isFixtureMode = veyra::parseUITestingArguments(arguments).isFixtureMode;
    veyra::SingleInstanceGuard instance(
        veyra::HandoverPoint::forUser(veyra::appBundleIdentifier()), QString::fromLocal8Bit(display.name.c_str()));
    if (!isFixtureMode) {
        const auto waiting = [](const QString &line) { std::fprintf(stderr, "%s\n", qPrintable(line)); };
        switch (instance.claimOrHandOver(veyra::SingleInstanceGuard::defaultPatience, waiting)) {
        case veyra::SingleInstanceGuard::Outcome::claimed:
            break;
        case veyra::SingleInstanceGuard::Outcome::handedOver:
            return 0;
        case veyra::SingleInstanceGuard::Outcome::runningElsewhere:
            std::fprintf(stderr, "%s\n", qPrintable(instance.runningElsewhereMessage()));
            return 1;
        case veyra::SingleInstanceGuard::Outcome::unanswered:
            std::fprintf(stderr, "Veyra is already running but does not answer.\n");
            return 1;
        }
    }

    QApplication application(argc, argv);
    const veyra::InfoDictionary &info = veyra::mainInfoDictionary();
    // The application name becomes the class of WM_CLASS on every window: the bundle
    // identifier lets the window list recognise (and leave out) any build of Veyra.
    QApplication::setApplicationName(veyra::appBundleIdentifier());
    QApplication::setApplicationVersion(
        veyra::infoDictionaryString(QStringLiteral("CFBundleShortVersionString"), info).value_or(QString()));
    QApplication::setDesktopFileName(QStringLiteral("veyra"));
    QApplication::setWindowIcon(veyra::veyraApplicationIcon());
    // Veyra lives in the tray and in floating panels; closing the last window is not a quit.
    QApplication::setQuitOnLastWindowClosed(false);
    // From here on every end of the process says why in the log.
    void *xcb = nullptr;
    if (const auto *x11 = application.nativeInterface<QNativeInterface::QX11Application>()) {
        xcb = x11->connection();
    }
    veyra::QuitReport::install({}, xcb);
    veyra::QuitSignalWatcher quitWatcher;
    QObject::connect(&quitWatcher, &veyra::QuitSignalWatcher::quitRequested, &application,
        [](const veyra::QuitSignal &signal) { veyra::QuitReport::quit(signal.description()); });

    int status = 0;
    {
        // Every service is built once, here; the windows open over it.
        veyra::ObriskApp app(QApplication::arguments(), info, veyra::UserDefaults::standard());
        veyra::ApplicationScenes scenes(app);
        // A quit nobody named: the version gate's Quit, or an installed update's restart.
        veyra::QuitReport::install(
            [&app]() -> QString {
                if (app.appUpdateModel().minimumVersionState().isUpdateRequired()) {
                    return QStringLiteral("the version gate (this version has to be updated)");
                }
                return QStringLiteral("the application quit (an installed update restarting it, or a quit "
                                      "nobody named)");
            },
            xcb);
        app.session().setTerminationHandler(
            [] { veyra::QuitReport::quit(QStringLiteral("the session ended (Quit, or the main window closed)")); });

        scenes.openWindow(QString::fromLatin1(veyra::ApplicationScenes::mainWindowIdentifier));
        // A later start brings Veyra forward, as opening the application again does: the
        // main window, except during play, when the main window is off the screen and the
        // game fills it. The overlay is then what the player sees of Veyra; it comes to the
        // top without taking the keyboard from the game.
        instance.setOnHandover([&scenes, &app] {
            if (app.session().phase().kind() == veyra::AppPhase::Kind::overlay) {
                for (QWidget *window : app.overlayController()->windowsOnTop()) {
                    window->raise();
                }
                return;
            }
            scenes.openWindow(QString::fromLatin1(veyra::ApplicationScenes::mainWindowIdentifier));
        });

        // Later starts are answered from now on, by the event loop; until then they wait for
        // this Veyra to listen.
        instance.startAnswering();
        status = QApplication::exec();
        veyra::QuitReport::writeLine();
        // A start from now on waits for this Veyra to end rather than hand over to it.
        instance.stopAnswering();
    }
    // The settings changed last are written first, whatever the work on the pools does. The
    // services just destroyed cancelled their tasks (re-checks, sleeps between captures);
    // those end on later turns of the event loop. Before that, the worker pools drop the
    // work still queued and finish the work that runs, so that no worker is still inside
    // Qt's code when the application object goes.
    veyra::finishApplicationWork(status);
    // Nothing of the player's is left to write: what is left of the end never waits for the
    // network (the application object waits for Qt's host-name lookups as it goes).
    veyra::endProcessWithin(status);
    return status;
}
