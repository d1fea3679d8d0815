// The main() of every test program: a QApplication on the offscreen platform (unless the
// environment chooses another) with private XDG folders, so that no test reads or writes
// the files of the user running it. Before the application object goes, the program's work
// ends as the application's does, so that no pool thread is still in Qt's code then.
#include "foundation/async/AsyncTask.h"
#include "support/TimeLimits.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <unistd.h>

int main(int argc, char **argv)
{
    // The OpenMP runtime of libtesseract reads OMP_THREAD_LIMIT when it is loaded, before
    // main(): start again with it set, as the application does.
    if (qgetenv("OMP_THREAD_LIMIT") != "1") {
        ::setenv("OMP_THREAD_LIMIT", "1", 1);
        ::execv("/proc/self/exe", argv);
    }
    ::testing::InitGoogleTest(&argc, argv);
    veyra::test::TimeLimits::setFactor(veyra::test::TimeLimits::factorFromEnvironment());

    QTemporaryDir home;
    if (!home.isValid()) {
        return 2;
    }
    for (const char *variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"}) {
        const QByteArray path = (home.path() + QLatin1Char('/') + QLatin1String(variable)).toUtf8();
        ::setenv(variable, path.constData(), 1);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication application(argc, argv);
    const int status = RUN_ALL_TESTS();
    veyra::finishApplicationWork(status);
    return status;
}
