#include "app/launch/QuitReport.h"

#include "foundation/async/LastSaves.h"
#include "foundation/logging/Logger.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QEvent>
#include <QThread>

#include <xcb/xcb.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <unistd.h>

namespace veyra::QuitReport {

namespace {

constexpr const char *lead = "Veyra quits: ";

struct State
{
    std::mutex mutex;
    QString cause;
    std::function<QString()> unnamedCause;
};

State &state()
{
    static State *instance = new State; // never destroyed: the process's end reads it
    return *instance;
}

// Set by whoever writes the line; async-signal-safe.
std::atomic<bool> g_written{false};
std::atomic<bool> g_installed{false};
// Qt's connection to the X server while the application runs (read from any thread).
std::atomic<xcb_connection_t *> g_xcb{nullptr};
// Set once the process leaves because the X server went away.
std::atomic<bool> g_leaving{false};
QtMessageHandler g_previousMessageHandler = nullptr;
std::terminate_handler g_previousTerminate = nullptr;

void writeOnce(const QString &cause, bool failure)
{
    if (g_written.exchange(true)) {
        return;
    }
    if (failure) {
        qCCritical(Logger("Launch")).noquote() << lead + cause;
    } else {
        qCInfo(Logger("Launch")).noquote() << lead + cause;
    }
}

// The error of Qt's X connection, or 0 while it works (or off X).
int xcbError()
{
    xcb_connection_t *xcb = g_xcb.load();
    return xcb != nullptr ? xcb_connection_has_error(xcb) : 0;
}

// The X server went away: Qt ends the process with exit(1) then, which destroys the
// process's static objects while the worker threads may still be inside Qt's text and
// image code. The process leaves at once instead, once the line is written and the last
// saves have run.
[[noreturn]] void leaveWithoutX(int error)
{
    g_leaving.store(true);
    writeOnce(QStringLiteral("the X server went away (X connection error %1)").arg(error), true);
    runLastSaves();
    std::fflush(nullptr);
    std::_Exit(1);
}

// exit() from inside the running application: Qt's xcb platform ends the process so when
// the X server goes away (and says so first, which is where the process normally leaves).
void reportExit()
{
    if (g_written.load()) {
        return;
    }
    if (const int error = xcbError(); error != 0 && !g_leaving.load()) {
        leaveWithoutX(error);
    }
    writeOnce(QStringLiteral("exit() was called while Veyra was running"), true);
    runLastSaves();
}

void reportTermination()
{
    QString what = QStringLiteral("an unexpected error");
    if (const std::exception_ptr current = std::current_exception()) {
        try {
            std::rethrow_exception(current);
        } catch (const std::exception &error) {
            what = QStringLiteral("an uncaught exception (%1)").arg(QString::fromLocal8Bit(error.what()));
        } catch (...) {
            what = QStringLiteral("an uncaught exception");
        }
    }
    writeOnce(QStringLiteral("a fatal error: %1").arg(what), true);
    runLastSaves();
    if (g_previousTerminate != nullptr) {
        g_previousTerminate();
    }
    std::abort();
}

void handleMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg && !g_written.exchange(true) && g_previousMessageHandler != nullptr) {
        g_previousMessageHandler(
            QtCriticalMsg, context, QString::fromLatin1(lead) + QStringLiteral("a fatal error: ") + message);
    }
    // Qt aborts once the message is written.
    if (type == QtFatalMsg) {
        runLastSaves();
    }
    if (g_previousMessageHandler != nullptr) {
        g_previousMessageHandler(type, context, message);
    }
    // Qt says that its X connection broke on the GUI thread just before it calls exit(1).
    if (type != QtFatalMsg && !g_written.load() && !g_leaving.load()) {
        const QCoreApplication *application = QCoreApplication::instance();
        if (application != nullptr && QThread::currentThread() == application->thread()) {
            if (const int error = xcbError(); error != 0) {
                leaveWithoutX(error);
            }
        }
    }
}

// The crash signals: the line is made up front, the handler only writes it.
constexpr int crashSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
constexpr int crashSignalCount = sizeof(crashSignals) / sizeof(crashSignals[0]);
char g_crashLines[crashSignalCount][64];

// Appends the decimal digits of the number (async-signal-safe).
size_t appendNumber(char *line, size_t length, size_t room, long long number)
{
    char digits[24];
    size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number > 0 && count < sizeof(digits));
    while (count > 0 && length + 1 < room) {
        line[length++] = digits[--count];
    }
    return length;
}

void handleCrash(int signalNumber, siginfo_t *info, void *)
{
    for (int index = 0; index < crashSignalCount; ++index) {
        if (crashSignals[index] != signalNumber || g_written.exchange(true)) {
            continue;
        }
        // The line made up front, without its end; a process that sent the signal is named.
        char line[128];
        size_t length = std::strlen(g_crashLines[index]);
        std::memcpy(line, g_crashLines[index], length);
        if (info != nullptr && info->si_code <= 0 && info->si_pid > 0) {
            constexpr char from[] = " from process ";
            std::memcpy(line + length, from, sizeof(from) - 1);
            length = appendNumber(line, length + sizeof(from) - 1, sizeof(line), info->si_pid);
        }
        line[length++] = '\n';
        [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line, length);
    }
    // The handler was reset on entry: the signal, raised again, ends the process as it would have.
    ::raise(signalNumber);
}

void installCrashHandlers()
{
    for (int index = 0; index < crashSignalCount; ++index) {
        const int signalNumber = crashSignals[index];
        struct sigaction current = {};
        // A sanitizer or debugger that handles the signal reports it itself.
        if (::sigaction(signalNumber, nullptr, &current) != 0 || current.sa_handler != SIG_DFL
            || (current.sa_flags & SA_SIGINFO) != 0) {
            continue;
        }
        const char *name = sigabbrev_np(signalNumber);
        std::snprintf(g_crashLines[index], sizeof(g_crashLines[index]), "%sa fatal signal (SIG%s)", lead,
            name != nullptr ? name : "?");
        struct sigaction action = {};
        action.sa_sigaction = handleCrash;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND | SA_NODEFER | SA_SIGINFO;
        ::sigaction(signalNumber, &action, nullptr);
    }
}

// Sees the quit event before the application closes its windows (a closed main window ends
// the session, which would name itself): a quit nobody named is named here.
class QuitEventFilter : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit) {
            noteUnnamedCause();
        }
        return false;
    }

    static void noteUnnamedCause()
    {
        std::function<QString()> unnamed;
        {
            std::lock_guard lock(state().mutex);
            if (!state().cause.isEmpty()) {
                return;
            }
            unnamed = state().unnamedCause;
        }
        if (const QString cause = unnamed ? unnamed() : QString(); !cause.isEmpty()) {
            noteCause(cause);
        }
    }
};

} // namespace

void install(std::function<QString()> unnamedCause, void *xcbConnection)
{
    {
        std::lock_guard lock(state().mutex);
        state().unnamedCause = std::move(unnamedCause);
    }
    g_xcb.store(static_cast<xcb_connection_t *>(xcbConnection));
    if (g_installed.exchange(true)) {
        return;
    }
    if (QCoreApplication *application = QCoreApplication::instance()) {
        application->installEventFilter(new QuitEventFilter(application));
    }
    std::atexit(reportExit);
    g_previousTerminate = std::set_terminate(reportTermination);
    g_previousMessageHandler = qInstallMessageHandler(handleMessage);
    installCrashHandlers();
}

void noteCause(const QString &cause)
{
    std::lock_guard lock(state().mutex);
    if (state().cause.isEmpty()) {
        state().cause = cause;
    }
}

void quit(const QString &cause)
{
    noteCause(cause);
    QCoreApplication::quit();
}

void writeLine()
{
    QString cause;
    std::function<QString()> unnamed;
    {
        std::lock_guard lock(state().mutex);
        cause = state().cause;
        unnamed = state().unnamedCause;
        state().unnamedCause = nullptr;
    }
    g_xcb.store(nullptr);
    if (cause.isEmpty()) {
        cause = unnamed ? unnamed() : QString();
    }
    writeOnce(
        cause.isEmpty() ? QStringLiteral("the event loop was asked to quit without a named cause") : cause, false);
}

} // namespace veyra::QuitReport
