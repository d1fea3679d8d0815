#include "support/TestGameWindow.h"

#include "support/TestPaths.h"
#include "support/TimeLimits.h"
#include "support/XvfbSession.h"

#include <QTemporaryDir>

namespace veyra::test {

namespace {

// One line of the program's output, without its line break; empty when it exited. Waits
// for the output itself, however long the program takes on a busy machine: the test's
// own time limit ends a program that hangs.
QString readLine(QProcess &process)
{
    while (!process.canReadLine()) {
        if (process.state() != QProcess::Running) {
            return {};
        }
        process.waitForReadyRead(-1);
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
    for (QString line = readLine(*m_process);; line = readLine(*m_process)) {
        if (line.startsWith(QLatin1String("window "))) {
            m_windowIDs.append(line.mid(7).toUInt());
        } else if (line == QLatin1String("ready")) {
            break;
        } else {
            m_error = QStringLiteral("the test game did not come up: %1")
                          .arg(line.isEmpty() ? QStringLiteral("no answer") : line);
            close();
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
    return readLine(*m_process);
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
        m_process->kill();
        m_process->waitForFinished(scaledMs(5000));
    }
}

} // namespace veyra::test
