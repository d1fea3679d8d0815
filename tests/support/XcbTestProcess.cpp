#include "support/XcbTestProcess.h"

#include "support/TimeLimits.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QProcess>

namespace veyra::test {

bool runsOnXcb()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

ChildTestRun runTestsOnXcb(
    const XvfbSession &session, const QString &filter, int timeoutMs, const QProcessEnvironment &extraEnvironment)
{
    QProcess child;
    QProcessEnvironment environment = session.environment();
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("1"));
    environment.remove(QStringLiteral("QT_SCREEN_SCALE_FACTORS"));
    environment.insert(extraEnvironment);
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + filter});
    ChildTestRun run;
    if (!child.waitForStarted(scaledMs(10000))) {
        run.output = child.errorString();
        return run;
    }
    if (!child.waitForFinished(scaledMs(timeoutMs))) {
        child.kill();
        child.waitForFinished(scaledMs(5000));
        run.output = QString::fromLocal8Bit(child.readAll()) + QStringLiteral("\n(timed out)");
        return run;
    }
    run.output = QString::fromLocal8Bit(child.readAll());
    run.exitCode = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    return run;
}

} // namespace veyra::test
