#include "support/XvfbSession.h"

#include "support/TimeLimits.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QThread>

#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <poll.h>

#include <cstdlib>
#include <cstring>

namespace veyra::test {

namespace {

// How long one question to the server may take: it answers at once unless another client
// holds it (a grab), and a grab is never held for long.
constexpr int replyLimitMs = 10000;

// The reply to a request, or null when the connection broke or no reply came within the
// limit (scaled for this machine).
template <typename Reply>
Reply *awaitReply(xcb_connection_t *connection, unsigned int sequence)
{
    xcb_flush(connection);
    QElapsedTimer timer;
    timer.start();
    const qint64 limit = scaledMs(replyLimitMs);
    while (true) {
        void *reply = nullptr;
        xcb_generic_error_t *error = nullptr;
        if (xcb_poll_for_reply(connection, sequence, &reply, &error) != 0) {
            std::free(error);
            return static_cast<Reply *>(reply);
        }
        const qint64 left = limit - timer.elapsed();
        if (left <= 0) {
            qWarning("The X server did not answer within %d ms", scaledMs(replyLimitMs));
            return nullptr;
        }
        pollfd descriptor{xcb_get_file_descriptor(connection), POLLIN, 0};
        ::poll(&descriptor, 1, static_cast<int>(left));
    }
}

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply = awaitReply<xcb_intern_atom_reply_t>(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name).sequence);
    if (reply == nullptr) {
        return XCB_ATOM_NONE;
    }
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

// True once a window manager has announced itself on the root window.
bool windowManagerAnnounced(const QString &display)
{
    const QByteArray name = display.toLocal8Bit();
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(name.constData(), &screenNumber);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return false;
    }
    const xcb_setup_t *setup = xcb_get_setup(connection);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < screenNumber; ++i) {
        xcb_screen_next(&screens);
    }
    const xcb_atom_t check = internAtom(connection, "_NET_SUPPORTING_WM_CHECK");
    bool announced = false;
    xcb_get_property_reply_t *reply = awaitReply<xcb_get_property_reply_t>(
        connection, xcb_get_property(connection, 0, screens.data->root, check, XCB_ATOM_WINDOW, 0, 1).sequence);
    if (reply != nullptr) {
        announced = xcb_get_property_value_length(reply) == 4;
        std::free(reply);
    }
    xcb_disconnect(connection);
    return announced;
}

// True when a client owns the selection (a compositing manager owns "_NET_WM_CM_S0").
bool selectionOwned(const QString &display, const char *selection)
{
    const QByteArray name = display.toLocal8Bit();
    xcb_connection_t *connection = xcb_connect(name.constData(), nullptr);
    bool owned = false;
    if (xcb_connection_has_error(connection) == 0) {
        xcb_get_selection_owner_reply_t *reply = awaitReply<xcb_get_selection_owner_reply_t>(
            connection, xcb_get_selection_owner(connection, internAtom(connection, selection)).sequence);
        owned = reply != nullptr && reply->owner != XCB_NONE;
        std::free(reply);
    }
    xcb_disconnect(connection);
    return owned;
}

// What the command the window manager runs once it has started writes (see
// startWindowManager).
constexpr char windowManagerStartedLine[] = "veyra-window-manager-started";

} // namespace

XvfbSession::XvfbSession()
    : XvfbSession(Options{})
{ }

XvfbSession::XvfbSession(Options options)
    : m_options(options)
{
    m_running = startServer(QString());
    if (m_running && m_options.windowManager && !startWindowManager()) {
        m_running = false;
    }
}

XvfbSession::XvfbSession(const QString &runningDisplay)
    : m_display(runningDisplay)
    , m_running(!runningDisplay.isEmpty())
{
    m_options.windowManager = false;
}

XvfbSession::~XvfbSession()
{
    stopProcess(m_compositor);
    stopWindowManager();
    stopServer();
}

bool XvfbSession::restart()
{
    stopProcess(m_compositor);
    stopWindowManager();
    stopServer();
    m_running = startServer(m_display);
    if (m_running && m_options.windowManager && !startWindowManager()) {
        m_running = false;
    }
    return m_running;
}

bool XvfbSession::startServer(const QString &display)
{
    if (!display.isEmpty()) {
        return startServerOn(display);
    }
    // A display number drawn from a wide range, not the lowest free one (which Xvfb would
    // pick): a test that ends its server, or restarts it, expects its number to stay free
    // for a while, and the lowest free number is the next one every other test's server
    // takes. A number in use is drawn again. (Tests that need a display nobody serves use
    // numbers outside this range.)
    constexpr int firstNumber = 100;
    constexpr int lastNumber = 3999;
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int number = QRandomGenerator::global()->bounded(firstNumber, lastNumber + 1);
        if (startServerOn(QStringLiteral(":%1").arg(number))) {
            return true;
        }
        stopServer();
    }
    return false;
}

bool XvfbSession::startServerOn(const QString &display)
{
    m_server = std::make_unique<QProcess>();
    m_server->setProcessChannelMode(QProcess::SeparateChannels);
    // -displayfd 1: the server writes its display number to stdout once it accepts
    // connections (and ends at once when the display is taken).
    QStringList arguments;
    arguments << display << QStringLiteral("-displayfd") << QStringLiteral("1") << QStringLiteral("-screen")
              << QStringLiteral("0")
              << QStringLiteral("%1x%2x%3").arg(m_options.width).arg(m_options.height).arg(m_options.depth)
              << QStringLiteral("-nolisten") << QStringLiteral("tcp")
              << (m_options.composite ? QStringLiteral("+extension") : QStringLiteral("-extension"))
              << QStringLiteral("Composite") << QStringLiteral("-noreset");
    if (!m_options.sharedMemory) {
        arguments << QStringLiteral("-extension") << QStringLiteral("MIT-SHM");
    }
    m_server->start(QStringLiteral("Xvfb"), arguments);
    if (!m_server->waitForStarted(scaledMs(10000))) {
        m_error = QStringLiteral("Xvfb did not start: %1").arg(m_server->errorString());
        return false;
    }
    QByteArray output;
    QElapsedTimer timer;
    timer.start();
    while (!output.contains('\n') && timer.elapsed() < scaledMs(20000)) {
        if (!m_server->waitForReadyRead(1000) && m_server->state() != QProcess::Running) {
            break;
        }
        output += m_server->readAllStandardOutput();
    }
    bool ok = false;
    const int number = output.trimmed().toInt(&ok);
    if (!ok) {
        m_error = QStringLiteral("Xvfb did not report its display: %1")
                      .arg(QString::fromLocal8Bit(m_server->readAllStandardError()));
        return false;
    }
    m_display = QStringLiteral(":%1").arg(number);
    return true;
}

void XvfbSession::stopServer()
{
    if (m_server && m_server->state() != QProcess::NotRunning) {
        m_server->terminate();
        if (!m_server->waitForFinished(scaledMs(5000))) {
            m_server->kill();
            m_server->waitForFinished(scaledMs(2000));
        }
    }
    m_server.reset();
    m_running = false;
}

QProcessEnvironment XvfbSession::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    // Programs on a test display get no session bus; without an address libdbus would
    // start a bus daemon for the display (X11 autolaunch) that outlives the test.
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent/bus"));
    return environment;
}

QString XvfbSession::name(WindowManager manager)
{
    switch (manager) {
    case WindowManager::openbox:
        return QStringLiteral("openbox");
    case WindowManager::metacity:
        return QStringLiteral("metacity");
    case WindowManager::xfwm4:
        return QStringLiteral("xfwm4");
    }
    return {};
}

bool XvfbSession::startWindowManager()
{
    if (m_windowManager) {
        return true;
    }
    QProcessEnvironment environment = this->environment();
    QStringList arguments;
    // Openbox announces itself on the root window early in its start-up. A window mapped
    // between then and the end of the start-up can stay unmanaged until some later event
    // happens to wake openbox up: it reads the window's request off the connection while
    // starting, and then waits on the connection for more. So the session waits for the
    // command openbox runs once it has started: it writes a line to openbox's output.
    const bool reportsStart = m_options.manager == WindowManager::openbox;
    switch (m_options.manager) {
    case WindowManager::openbox:
        arguments << QStringLiteral("--sm-disable") << QStringLiteral("--startup")
                  << QStringLiteral("echo ") + QLatin1String(windowManagerStartedLine);
        break;
    case WindowManager::metacity:
        // It composites the screen itself, whichever compositor it is told to use.
        arguments << QStringLiteral("--sm-disable");
        break;
    case WindowManager::xfwm4: {
        // xfwm4 reads its settings from xfconfd, which its session bus starts on demand.
        m_sessionBus = std::make_unique<QProcess>();
        m_sessionBus->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_sessionBus->start(QStringLiteral("dbus-daemon"),
            {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        QByteArray address;
        QElapsedTimer timer;
        timer.start();
        while (!address.contains('\n') && timer.elapsed() < scaledMs(20000) && m_sessionBus->waitForReadyRead(1000)) {
            address += m_sessionBus->readAllStandardOutput();
        }
        if (!address.contains('\n')) {
            m_error = QStringLiteral("the session bus for xfwm4 did not start");
            stopProcess(m_sessionBus);
            return false;
        }
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromLocal8Bit(address.trimmed()));
        // No accessibility bus: it would outlive the session.
        environment.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
        arguments << (m_options.windowManagerCompositor ? QStringLiteral("--compositor=on")
                                                        : QStringLiteral("--compositor=off"));
        break;
    }
    }
    const QString program = name(m_options.manager);
    m_windowManager = std::make_unique<QProcess>();
    m_windowManager->setProcessEnvironment(environment);
    m_windowManager->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (!reportsStart) {
        m_windowManager->setStandardOutputFile(QProcess::nullDevice());
    }
    m_windowManager->start(program, arguments);
    if (!m_windowManager->waitForStarted(scaledMs(10000))) {
        m_error = QStringLiteral("%1 did not start: %2").arg(program, m_windowManager->errorString());
        m_windowManager.reset();
        stopProcess(m_sessionBus);
        return false;
    }
    if (reportsStart && !waitForWindowManagerStart(20000)) {
        m_error = QStringLiteral("%1 did not finish starting on %2 within %3 s")
                      .arg(program, m_display)
                      .arg(scaledMs(20000) / 1000);
        stopWindowManager();
        return false;
    }
    if (!waitForWindowManager(20000)) {
        m_error = QStringLiteral("%1 did not announce itself on %2").arg(program, m_display);
        stopWindowManager();
        return false;
    }
    if (m_options.manager == WindowManager::xfwm4 && m_options.windowManagerCompositor && !waitForCompositor(20000)) {
        m_error = QStringLiteral("%1 did not start compositing on %2").arg(program, m_display);
        stopWindowManager();
        return false;
    }
    return true;
}

void XvfbSession::stopWindowManager()
{
    stopProcess(m_windowManager);
    // The bus last: the settings daemon it started ends with it.
    stopProcess(m_sessionBus);
}

bool XvfbSession::startCompositor()
{
    if (m_compositor) {
        return true;
    }
    m_compositor = std::make_unique<QProcess>();
    m_compositor->setProcessEnvironment(environment());
    m_compositor->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_compositor->setStandardOutputFile(QProcess::nullDevice());
    m_compositor->start(QStringLiteral("xcompmgr"), {});
    if (!m_compositor->waitForStarted(scaledMs(10000))) {
        m_error = QStringLiteral("xcompmgr did not start: %1").arg(m_compositor->errorString());
        m_compositor.reset();
        return false;
    }
    // Ready once it holds the screen's compositing-manager selection.
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < scaledMs(20000)) {
        if (isComposited()) {
            return true;
        }
        if (m_compositor->state() == QProcess::NotRunning) {
            break;
        }
        QThread::msleep(25);
    }
    m_error = QStringLiteral("xcompmgr did not take over %1").arg(m_display);
    stopProcess(m_compositor);
    return false;
}

bool XvfbSession::isComposited() const
{
    return selectionOwned(m_display, "_NET_WM_CM_S0");
}

void XvfbSession::stopProcess(std::unique_ptr<QProcess> &process)
{
    if (!process) {
        return;
    }
    process->terminate();
    if (!process->waitForFinished(scaledMs(5000))) {
        process->kill();
        process->waitForFinished(scaledMs(2000));
    }
    process.reset();
}

bool XvfbSession::waitForCompositor(int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < scaledMs(timeoutMs)) {
        if (isComposited()) {
            return true;
        }
        if (m_windowManager->state() == QProcess::NotRunning) {
            return false;
        }
        QThread::msleep(25);
    }
    return false;
}

bool XvfbSession::waitForWindowManagerStart(int timeoutMs)
{
    QByteArray output;
    QElapsedTimer timer;
    timer.start();
    const qint64 limit = scaledMs(timeoutMs);
    while (!output.contains(QByteArray(windowManagerStartedLine) + '\n')) {
        const qint64 left = limit - timer.elapsed();
        if (left <= 0 || m_windowManager->state() != QProcess::Running) {
            return false;
        }
        m_windowManager->waitForReadyRead(static_cast<int>(left));
        output += m_windowManager->readAllStandardOutput();
    }
    return true;
}

bool XvfbSession::waitForWindowManager(int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < scaledMs(timeoutMs)) {
        if (windowManagerAnnounced(m_display)) {
            return true;
        }
        if (m_windowManager->state() == QProcess::NotRunning) {
            return false;
        }
        QThread::msleep(25);
    }
    return false;
}

} // namespace veyra::test
