#include "app/launch/QuitSignalWatcher.h"
#include "app/launch/UITestingLaunchOptions.h"
#include "brand/BrandIcons.h"
#include "foundation/identity/AppIdentity.h"

#include <QApplication>

#include <cstdlib>
#include <unistd.h>

int main(int argc, char *argv[])
{
    // One OpenMP thread per recognition keeps two parallel recognitions from spinning up
    // teams of threads that fight over the cores. The OpenMP runtime comes in with
    // libtesseract and reads its environment when it is loaded, before main() runs, so
    // the variable only counts if the process starts with it: start again with it set.
    if (qgetenv("OMP_THREAD_LIMIT") != "1") {
        ::setenv("OMP_THREAD_LIMIT", "1", 1);
        ::execv("/proc/self/exe", argv);
        // If that fails, go on: the recogniser also keeps OpenMP on its calling thread.
    }
    // Floating panels are placed in global coordinates, which only X11 (or XWayland)
    // allows; Wayland-native windows cannot be positioned by the application.
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);

    QApplication application(argc, argv);
    const veyra::InfoDictionary &info = veyra::mainInfoDictionary();
    // The application name becomes the class of WM_CLASS on every window: the bundle
    // identifier lets the window list recognise (and leave out) any build of Veyra.
    QApplication::setApplicationName(veyra::appBundleIdentifier());
    QApplication::setApplicationDisplayName(veyra::appDisplayName());
    QApplication::setApplicationVersion(
        veyra::infoDictionaryString(QStringLiteral("CFBundleShortVersionString"), info).value_or(QString()));
    QApplication::setDesktopFileName(QStringLiteral("veyra"));
    QApplication::setWindowIcon(veyra::veyraApplicationIcon());
    // Veyra lives in the tray and in floating panels; closing the last window is not a quit.
    QApplication::setQuitOnLastWindowClosed(false);

    const veyra::UITestingLaunchOptions options = veyra::parseUITestingArguments(QApplication::arguments());
    Q_UNUSED(options);

    veyra::QuitSignalWatcher quitWatcher;
    QObject::connect(&quitWatcher, &veyra::QuitSignalWatcher::quitRequested, &application, &QApplication::quit);

    return QApplication::exec();
}
