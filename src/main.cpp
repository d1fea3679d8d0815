#include "app/launch/LaunchEnvironment.h"
#include "app/launch/QuitSignalWatcher.h"
#include "app/launch/SingleInstanceGuard.h"
#include "app/launch/UITestingLaunchOptions.h"
#include "app/launch/X11DisplayCheck.h"
#include "app/root/ApplicationScenes.h"
#include "app/root/ObriskApp.h"
#include "brand/BrandIcons.h"
#include "foundation/async/AsyncTask.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/settings/UserDefaults.h"

#include <QApplication>

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

    // One Veyra per user and display: a later start hands over to the running one before
    // anything reads or writes the player's files, the keyring or the X server's state.
    // Fixture mode keeps nothing and stands apart.
    veyra::SingleInstanceGuard instance(
        veyra::HandoverPoint::forDisplay(veyra::appBundleIdentifier(), QString::fromLocal8Bit(display.name.c_str())));
    if (!veyra::parseUITestingArguments(QApplication::arguments()).isFixtureMode) {
        switch (instance.claimOrHandOver(std::chrono::minutes(1))) {
        case veyra::SingleInstanceGuard::Outcome::claimed:
            break;
        case veyra::SingleInstanceGuard::Outcome::handedOver:
            return 0;
        case veyra::SingleInstanceGuard::Outcome::unanswered:
            std::fprintf(stderr, "Veyra is already running on this display but does not answer.\n");
            return 1;
        }
    }

    int status = 0;
    {
        // Every service is built once, here; the windows open over it.
        veyra::ObriskApp app(QApplication::arguments(), info, veyra::UserDefaults::standard());
        veyra::ApplicationScenes scenes(app);
        scenes.openWindow(QString::fromLatin1(veyra::ApplicationScenes::mainWindowIdentifier));
        // A later start brings the main window forward, as opening the application again does.
        instance.setOnHandover(
            [&scenes] { scenes.openWindow(QString::fromLatin1(veyra::ApplicationScenes::mainWindowIdentifier)); });

        veyra::QuitSignalWatcher quitWatcher;
        QObject::connect(&quitWatcher, &veyra::QuitSignalWatcher::quitRequested, &application, &QApplication::quit);

        status = QApplication::exec();
        // A start from now on waits for this Veyra to end rather than hand over to it.
        instance.stopAnswering();
    }
    // The services just destroyed cancelled their tasks (re-checks, sleeps between
    // captures); those end on later turns of the event loop.
    veyra::finishRemainingTasks();
    return status;
}
