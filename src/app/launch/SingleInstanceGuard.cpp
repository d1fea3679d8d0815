#include "app/launch/SingleInstanceGuard.h"

#include "foundation/logging/Logger.h"

#include <QCryptographicHash>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/un.h>
#include <unistd.h>

namespace veyra {

namespace {

// What a later start sends, and what the running Veyra answers once it has come forward.
constexpr QByteArrayView handoverRequest = "activate\n";
constexpr QByteArrayView handoverAnswer = "ok\n";
constexpr qsizetype longestRequest = 64;

// Between its lock and its listener, or while it quits, the running Veyra cannot answer;
// a later start asks again after this pause.
constexpr std::chrono::milliseconds retryPause{100};

int remainingMs(std::chrono::steady_clock::time_point deadline)
{
    const auto left
        = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

} // namespace

HandoverPoint HandoverPoint::forDisplay(const QString &bundleIdentifier, const QString &displayName)
{
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    }
    QString display = displayName;
    display.replace(QRegularExpression(QStringLiteral("(:\\d+)\\.\\d+$")), QStringLiteral("\\1"));
    QString base = folder + QLatin1Char('/') + bundleIdentifier + QStringLiteral(".x11-")
        + QString::fromLatin1(QUrl::toPercentEncoding(display, ":"));
    // A local socket's path has room for sizeof(sun_path) - 1 bytes.
    constexpr qsizetype socketPathRoom = sizeof(sockaddr_un::sun_path) - 1;
    if (QFile::encodeName(base + QStringLiteral(".socket")).size() > socketPathRoom) {
        base = folder + QLatin1Char('/') + bundleIdentifier + QStringLiteral(".x11-")
            + QString::fromLatin1(
                QCryptographicHash::hash(display.toUtf8(), QCryptographicHash::Sha256).toHex().left(16));
    }
    return HandoverPoint{base + QStringLiteral(".lock"), base + QStringLiteral(".socket")};
}

SingleInstanceGuard::SingleInstanceGuard(HandoverPoint point, QObject *parent)
    : QObject(parent)
    , m_point(std::move(point))
{ }

SingleInstanceGuard::~SingleInstanceGuard()
{
    // The socket goes while the lock is still held, so it can never be another's.
    stopAnswering();
    // The lock file stays: removing it could let two later starts lock two different files.
    if (m_lockFile >= 0) {
        ::close(m_lockFile);
    }
}

void SingleInstanceGuard::stopAnswering()
{
    m_onHandover = nullptr;
    delete m_server;
    m_server = nullptr;
}

SingleInstanceGuard::Outcome SingleInstanceGuard::claimOrHandOver(std::chrono::milliseconds patience)
{
    const auto deadline = std::chrono::steady_clock::now() + patience;
    m_lockFile = ::open(QFile::encodeName(m_point.lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_lockFile < 0) {
        qCWarning(m_logger) << "Cannot open" << m_point.lockPath << "to keep to one Veyra:" << ::strerror(errno);
        return Outcome::claimed;
    }
    for (;;) {
        if (::flock(m_lockFile, LOCK_EX | LOCK_NB) == 0) {
            listen();
            return Outcome::claimed;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            qCWarning(m_logger) << "Cannot lock" << m_point.lockPath << "to keep to one Veyra:" << ::strerror(errno);
            return Outcome::claimed;
        }
        if (handOver(deadline)) {
            ::close(m_lockFile);
            m_lockFile = -1;
            return Outcome::handedOver;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(m_lockFile);
            m_lockFile = -1;
            return Outcome::unanswered;
        }
        QThread::msleep(static_cast<unsigned long>(retryPause.count()));
    }
}

bool SingleInstanceGuard::handOver(std::chrono::steady_clock::time_point deadline)
{
    QLocalSocket socket;
    socket.connectToServer(m_point.socketPath);
    if (!socket.waitForConnected(remainingMs(deadline))) {
        return false;
    }
    socket.write(handoverRequest.data(), handoverRequest.size());
    if (!socket.waitForBytesWritten(remainingMs(deadline))) {
        return false;
    }
    while (!socket.canReadLine()) {
        if (socket.bytesAvailable() > longestRequest || !socket.waitForReadyRead(remainingMs(deadline))) {
            return false;
        }
    }
    return socket.readLine(longestRequest) == handoverAnswer;
}

void SingleInstanceGuard::listen()
{
    // Only the holder of the lock gets here: a socket file left by a Veyra that ended
    // without removing it is stale.
    QLocalServer::removeServer(m_point.socketPath);
    // The runtime folder is the user's alone, and so is the socket in it.
    m_server = new QLocalServer();
    if (!m_server->listen(m_point.socketPath)) {
        qCWarning(m_logger) << "Later starts cannot hand over to this Veyra:" << m_server->errorString();
        return;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { answer(socket); });
            answer(socket);
        }
    });
}

void SingleInstanceGuard::answer(QLocalSocket *socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > longestRequest) {
            socket->abort();
        }
        return;
    }
    const QByteArray request = socket->readLine(longestRequest + 1);
    if (request == handoverRequest) {
        if (m_onHandover) {
            m_onHandover();
        }
        socket->write(handoverAnswer.data(), handoverAnswer.size());
    }
    socket->disconnectFromServer();
}

} // namespace veyra
