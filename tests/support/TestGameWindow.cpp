#include "support/TestGameWindow.h"

#include "support/TestPaths.h"
#include "support/TimeLimits.h"
#include "support/XvfbSession.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace veyra::test {

namespace {

// Limits (scaled for this machine) on the program's answers. The program gives up on the
// window server and the window manager well before them and answers with an error that
// says what it waited for; these only end a program that hangs.
constexpr int startLimitMs = 90000;
constexpr int answerLimitMs = 60000;

// One line of the program's output, without its line break; empty when the program
// exited, or when it wrote no whole line within the limit (then `timedOut` is set).
QString readLine(QProcess &process, int timeoutMs, bool &timedOut)
{
    timedOut = false;
    QElapsedTimer timer;
    timer.start();
    const qint64 limit = scaledMs(timeoutMs);
    while (!process.canReadLine()) {
        if (process.state() != QProcess::Running) {
            return {};
        }
        const qint64 left = limit - timer.elapsed();
        if (left <= 0) {
            timedOut = true;
            return {};
        }
        process.waitForReadyRead(static_cast<int>(left));
    }
    return QString::fromUtf8(process.readLine()).trimmed();
}

} // namespace

TestGameWindow::TestGameWindow(const XvfbSession &session, Options options)
    : m_process(std::make_unique<QProcess>())
{
    QStringList arguments{QStringLiteral("--title"), options.title, QStringLiteral("--size"),
        QStringLiteral("%1x%2").arg(options.size.width()).arg(options.size.height()), QStringLiteral("--box-color"),
        options.boxColor.name(), QStringLiteral("--text"), options.text, QStringLiteral("--text-color"),
        options.textColor.name(), QStringLiteral("--font-size"), QString::number(options.fontPixelSize)};
    if (options.position) {
        arguments << QStringLiteral("--position")
                  << QStringLiteral("%1,%2").arg(options.position->x()).arg(options.position->y());
    }
    if (!options.boxRect.isEmpty()) {
        arguments << QStringLiteral("--box-rect")
                  << QStringLiteral("%1,%2,%3,%4")
                         .arg(options.boxRect.x())
                         .arg(options.boxRect.y())
                         .arg(options.boxRect.width())
                         .arg(options.boxRect.height());
    }
    if (!options.windowClass.isEmpty()) {
        arguments << QStringLiteral("--class") << options.windowClass;
    }
    if (options.withoutClass) {
        arguments << QStringLiteral("--without-class");
    }
    if (options.withoutProcessID) {
        arguments << QStringLiteral("--without-pid");
    }
    if (options.tool) {
        arguments << QStringLiteral("--tool");
    }
    if (options.dialog) {
        arguments << QStringLiteral("--dialog");
    }
    if (options.frameless) {
        arguments << QStringLiteral("--frameless");
    }
    if (options.resizable) {
        arguments << QStringLiteral("--resizable");
    }
    if (options.fullScreen) {
        arguments << QStringLiteral("--full-screen");
    }
    if (options.bypassesWindowManager) {
        arguments << QStringLiteral("--bypass-window-manager");
    }
    for (const QString &title : options.extraWindowTitles) {
        arguments << QStringLiteral("--extra-window") << title;
    }

    QProcessEnvironment environment = session.environment();
    // The picture is compared pixel for pixel: no scaling of any kind.
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("1"));
    environment.remove(QStringLiteral("QT_SCREEN_SCALE_FACTORS"));
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    m_process->setProcessEnvironment(environment);
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->start(testProgramPath(QStringLiteral("veyra_test_game_window")), arguments);
    if (!m_process->waitForStarted(scaledMs(10000))) {
        m_error = QStringLiteral("the test game did not start: %1").arg(m_process->errorString());
        return;
    }
    QElapsedTimer timer;
    timer.start();
    while (true) {
        bool timedOut = false;
        const QString line = readLine(*m_process, std::max<qint64>(startLimitMs - timer.elapsed(), 0), timedOut);
        if (line.startsWith(QLatin1String("window "))) {
            m_windowIDs.append(line.mid(7).toUInt());
        } else if (line == QLatin1String("ready")) {
            break;
        } else {
            m_windowIDs.clear();
            m_error = timedOut ? QStringLiteral("the test game did not report its windows within %1 s")
                                     .arg(scaledMs(startLimitMs) / 1000)
                               : QStringLiteral("the test game did not come up: %1")
                                     .arg(line.isEmpty() ? QStringLiteral("it exited") : line);
            stop();
            return;
        }
    }
}

TestGameWindow::~TestGameWindow()
{
    close();
}

bool TestGameWindow::isRunning() const
{
    return m_process && m_process->state() == QProcess::Running && !m_windowIDs.isEmpty();
}

std::int32_t TestGameWindow::processID() const
{
    return m_process ? static_cast<std::int32_t>(m_process->processId()) : 0;
}

QString TestGameWindow::executablePath() const
{
    return testProgramPath(QStringLiteral("veyra_test_game_window"));
}

QString TestGameWindow::command(const QString &line)
{
    if (!isRunning()) {
        return {};
    }
    m_process->write(line.toUtf8() + '\n');
    m_process->waitForBytesWritten(scaledMs(5000));
    bool timedOut = false;
    const QString answer = readLine(*m_process, answerLimitMs, timedOut);
    if (timedOut) {
        // A late answer would be taken for the answer to the next command.
        m_error = QStringLiteral("the test game did not answer \"%1\" within %2 s")
                      .arg(line)
                      .arg(scaledMs(answerLimitMs) / 1000);
        ADD_FAILURE() << m_error.toStdString();
        stop();
    } else if (answer.startsWith(QLatin1String("error "))) {
        m_error = QStringLiteral("the test game could not carry out \"%1\": %2").arg(line, answer.mid(6));
    }
    return answer;
}

QRect TestGameWindow::geometry()
{
    const QStringList parts = command(QStringLiteral("geometry")).split(QLatin1Char(' '));
    if (parts.size() != 5 || parts[0] != QLatin1String("geometry")) {
        return {};
    }
    return {parts[1].toInt(), parts[2].toInt(), parts[3].toInt(), parts[4].toInt()};
}

QImage TestGameWindow::picture()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("picture.png"));
    if (command(QStringLiteral("save ") + path) != QLatin1String("ok")) {
        return {};
    }
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

bool TestGameWindow::setText(const QString &text)
{
    return command(QStringLiteral("text ") + text) == QLatin1String("ok");
}

bool TestGameWindow::setTitle(const QString &title)
{
    return command(QStringLiteral("title ") + title) == QLatin1String("ok");
}

bool TestGameWindow::hide()
{
    return command(QStringLiteral("hide")) == QLatin1String("ok");
}

bool TestGameWindow::show()
{
    return command(QStringLiteral("show")) == QLatin1String("ok");
}

bool TestGameWindow::minimize()
{
    return command(QStringLiteral("minimize")) == QLatin1String("ok");
}

bool TestGameWindow::raise()
{
    return command(QStringLiteral("raise")) == QLatin1String("ok");
}

bool TestGameWindow::enterFullScreen()
{
    return command(QStringLiteral("full-screen")) == QLatin1String("ok");
}

bool TestGameWindow::leaveFullScreen()
{
    return command(QStringLiteral("normal")) == QLatin1String("ok");
}

int TestGameWindow::clicks()
{
    const QString answer = command(QStringLiteral("clicks"));
    if (!answer.startsWith(QLatin1String("clicks "))) {
        return -1;
    }
    return answer.mid(7).toInt();
}

void TestGameWindow::close()
{
    if (!m_process || m_process->state() == QProcess::NotRunning) {
        return;
    }
    m_process->write("quit\n");
    m_process->closeWriteChannel();
    if (!m_process->waitForFinished(scaledMs(10000))) {
        stop();
    }
}

void TestGameWindow::stop()
{
    if (m_process->state() == QProcess::NotRunning) {
        return;
    }
    m_process->kill();
    if (!m_process->waitForFinished(scaledMs(5000))) {
        ADD_FAILURE() << "the test game did not end when killed";
    }
}

} // namespace veyra::test
