#include "app/launch/QuitSignalWatcher.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace veyra {

namespace {

// What the handler passes on: small enough for one atomic write to a pipe.
struct Delivery
{
    int number;
    int code;
    pid_t processID;
    uid_t userID;
};
static_assert(sizeof(Delivery) <= PIPE_BUF);

int g_signalPipe[2] = {-1, -1};

constexpr int quitSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};

void handleSignal(int signalNumber, siginfo_t *info, void *)
{
    // Only async-signal-safe calls here; a full pipe just drops the extra signal.
    const int savedErrno = errno;
    Delivery delivery{signalNumber, 0, 0, static_cast<uid_t>(-1)};
    if (info != nullptr) {
        delivery.code = info->si_code;
        // A process sent it (kill, sigqueue, tgkill): the kernel names the sender.
        if (info->si_code <= 0) {
            delivery.processID = info->si_pid;
            delivery.userID = info->si_uid;
        }
    }
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &delivery, sizeof(delivery));
    errno = savedErrno;
}

} // namespace

QString QuitSignal::description() const
{
    const char *name = sigabbrev_np(number);
    QString text
        = name != nullptr ? QStringLiteral("SIG") + QString::fromLatin1(name) : QStringLiteral("signal %1").arg(number);
    if (senderProcessID <= 0) {
        return text + QStringLiteral(" from the kernel");
    }
    text += QStringLiteral(" from process %1").arg(senderProcessID);
    QFile command(QStringLiteral("/proc/%1/comm").arg(senderProcessID));
    if (command.open(QIODevice::ReadOnly)) {
        if (const QByteArray sender = command.readAll().trimmed(); !sender.isEmpty()) {
            text += QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(sender));
        }
    }
    if (senderUserID >= 0) {
        text += QStringLiteral(" of user %1").arg(senderUserID);
    }
    return text;
}

QuitSignalWatcher::QuitSignalWatcher(QObject *parent)
    : QObject(parent)
{
    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    m_notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignalWatcher::readSignal);

    struct sigaction action = {};
    action.sa_sigaction = handleSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_SIGINFO;
    for (int signalNumber : quitSignals) {
        ::sigaction(signalNumber, &action, nullptr);
    }
}

QuitSignalWatcher::~QuitSignalWatcher()
{
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : quitSignals) {
        ::sigaction(signalNumber, &action, nullptr);
    }
    for (int &fd : g_signalPipe) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
}

void QuitSignalWatcher::readSignal()
{
    Delivery delivery{};
    while (::read(g_signalPipe[0], &delivery, sizeof(delivery)) == static_cast<ssize_t>(sizeof(delivery))) {
        QuitSignal signal;
        signal.number = delivery.number;
        if (delivery.code <= 0) {
            signal.senderProcessID = delivery.processID;
            signal.senderUserID = delivery.userID;
        }
        Q_EMIT quitRequested(signal);
    }
}

} // namespace veyra
