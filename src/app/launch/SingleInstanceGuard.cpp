#include "app/launch/SingleInstanceGuard.h"

#include "foundation/logging/Logger.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QUrl>

#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace veyra {

namespace {

// A later start asks "activate <its display>"; the running Veyra answers "ok" once it has
// come forward on that display, or "elsewhere <its display>" when it runs on another one and
// stays as it is. Each is one line, the display percent-encoded, in canonical form.
constexpr QByteArrayView requestWord = "activate";
constexpr QByteArrayView handoverAnswer = "ok\n";
constexpr QByteArrayView elsewhereWord = "elsewhere";
// Room for any display name that reaches a server (a host name has at most 255 bytes).
constexpr qsizetype longestLine = 1024;

QByteArray lineWithDisplay(QByteArrayView word, const QString &display)
{
    return word.toByteArray() + ' ' + QUrl::toPercentEncoding(display, ":") + '\n';
}

// The display of a line "<word> <display>", or nothing when the line is another.
std::optional<QString> displayInLine(const QByteArray &line, QByteArrayView word)
{
    const QByteArray lead = word.toByteArray() + ' ';
    if (!line.startsWith(lead) || !line.endsWith('\n')) {
        return std::nullopt;
    }
    return QUrl::fromPercentEncoding(line.mid(lead.size(), line.size() - lead.size() - 1));
}

// Between its lock and its listener, or while it quits, the running Veyra cannot answer;
// a later start asks again after this pause.
constexpr std::chrono::milliseconds retryPause{100};

// How long a later start waits for an answer before it says what it waits for.
constexpr int quietWaitMs = 1000;

int remainingMs(std::chrono::steady_clock::time_point deadline)
{
    const auto left
        = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

QString machineName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof(name) - 1) != 0) {
        return {};
    }
    return QString::fromLocal8Bit(name);
}

// Whether a display's host names this machine: the X server is then the one of the local
// socket, whichever transport reaches it.
bool isThisMachine(const QString &host)
{
    static const QStringList local{QString(), QStringLiteral("unix"), QStringLiteral("localhost"),
        QStringLiteral("localhost.localdomain"), QStringLiteral("::1"), QStringLiteral("[::1]")};
    if (local.contains(host, Qt::CaseInsensitive) || host.startsWith(QStringLiteral("127."))) {
        return true;
    }
    const QString machine = machineName();
    return !machine.isEmpty() && host.compare(machine, Qt::CaseInsensitive) == 0;
}

QString userHomeFolder()
{
    if (const QString home = qEnvironmentVariable("HOME"); !home.isEmpty()) {
        return home;
    }
    const passwd *entry = ::getpwuid(::geteuid());
    return entry != nullptr && entry->pw_dir != nullptr ? QString::fromLocal8Bit(entry->pw_dir) : QString();
}

// The user's cache folder: $XDG_CACHE_HOME when it is an absolute path, else ~/.cache
// (the home folder from the password database when HOME is unset).
QString userCacheFolder()
{
    const QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!cache.isEmpty() && QDir::isAbsolutePath(cache)) {
        return cache;
    }
    const QString home = userHomeFolder();
    return home.isEmpty() ? QString() : home + QStringLiteral("/.cache");
}

// Makes the folder (and its parents) when missing; a folder of this user with too open a
// mode is closed to others. Whatever is there must then pass isPrivateFolder.
bool makePrivateFolder(const QString &path)
{
    if (!QDir().mkpath(QFileInfo(path).path())) {
        return false;
    }
    const QByteArray encoded = QFile::encodeName(path);
    if (::mkdir(encoded.constData(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat status
    { };
    if (::lstat(encoded.constData(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == ::geteuid()
        && (status.st_mode & 077) != 0) {
        ::chmod(encoded.constData(), 0700);
    }
    return HandoverPoint::isPrivateFolder(path);
}

std::optional<uid_t> peerUser(int socket, qint64 *processID = nullptr)
{
    ucred credentials{};
    socklen_t length = sizeof(credentials);
    if (::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0 || length != sizeof(credentials)) {
        return std::nullopt;
    }
    if (processID != nullptr) {
        *processID = credentials.pid;
    }
    return credentials.uid;
}

class FileDescriptor
{
public:
    explicit FileDescriptor(int descriptor)
        : m_descriptor(descriptor)
    { }
    ~FileDescriptor()
    {
        if (m_descriptor >= 0) {
            ::close(m_descriptor);
        }
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return m_descriptor; }

private:
    int m_descriptor;
};

} // namespace

bool HandoverPoint::isPrivateFolder(const QString &path)
{
    struct stat status
    { };
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &status) != 0) {
        return false;
    }
    return S_ISDIR(status.st_mode) && status.st_uid == ::geteuid() && (status.st_mode & 077) == 0;
}

QString HandoverPoint::privateRuntimeFolder(const QString &bundleIdentifier, QString *problem)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && isPrivateFolder(runtime)) {
        return runtime;
    }
    const QString cache = userCacheFolder();
    if (cache.isEmpty()) {
        if (problem != nullptr) {
            *problem = QStringLiteral("neither a private runtime folder nor a home folder");
        }
        return {};
    }
    const QString machine = machineName();
    const QString fallback = cache + QLatin1Char('/') + bundleIdentifier + QStringLiteral("/runtime-")
        + (machine.isEmpty() ? QStringLiteral("localhost") : machine);
    if (!makePrivateFolder(fallback)) {
        if (problem != nullptr) {
            *problem = QStringLiteral("%1 is not a folder of this user alone").arg(fallback);
        }
        return {};
    }
    return fallback;
}

QString HandoverPoint::canonicalDisplay(const QString &displayName)
{
    const QByteArray name = displayName.toLocal8Bit();
    if (name.isEmpty()) {
        return displayName;
    }
    char *host = nullptr;
    int display = 0;
    int screen = 0;
    if (xcb_parse_display(name.constData(), &host, &display, &screen) == 0) {
        return displayName;
    }
    QString hostName = QString::fromLocal8Bit(host);
    std::free(host);
    if (isThisMachine(hostName)) {
        hostName.clear();
    }
    return hostName.toLower() + QLatin1Char(':') + QString::number(display);
}

HandoverPoint HandoverPoint::forUser(const QString &bundleIdentifier)
{
    const QString folder = privateRuntimeFolder(bundleIdentifier);
    if (folder.isEmpty()) {
        return {};
    }
    QString base = folder + QLatin1Char('/') + bundleIdentifier;
    // A local socket's path has room for sizeof(sun_path) - 1 bytes.
    constexpr qsizetype socketPathRoom = sizeof(sockaddr_un::sun_path) - 1;
    if (QFile::encodeName(base + QStringLiteral(".socket")).size() > socketPathRoom) {
        base = folder + QLatin1Char('/')
            + QString::fromLatin1(
                QCryptographicHash::hash(bundleIdentifier.toUtf8(), QCryptographicHash::Sha256).toHex().left(16));
        if (QFile::encodeName(base + QStringLiteral(".socket")).size() > socketPathRoom) {
            return {};
        }
    }
    return HandoverPoint{base + QStringLiteral(".lock"), base + QStringLiteral(".socket")};
}

SingleInstanceGuard::SingleInstanceGuard(HandoverPoint point, const QString &displayName, QObject *parent)
    : QObject(parent)
    , m_point(std::move(point))
    , m_display(HandoverPoint::canonicalDisplay(displayName))
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

SingleInstanceGuard::Outcome SingleInstanceGuard::claimOrHandOver(
    Patience patience, const std::function<void(const QString &)> &waiting)
{
    const auto started = std::chrono::steady_clock::now();
    const auto deadline = started + std::max(patience.overall, patience.answer);
    if (!m_point.isUsable()) {
        qCWarning(m_logger) << "No folder of this user alone to keep to one Veyra per user in; this start runs on "
                               "its own.";
        return Outcome::claimed;
    }
    // Not through a link, and only a file of this user: the folder is private, but the
    // lock decides which process runs.
    m_lockFile
        = ::open(QFile::encodeName(m_point.lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    struct stat status
    { };
    if (m_lockFile < 0 || ::fstat(m_lockFile, &status) != 0 || !S_ISREG(status.st_mode)
        || status.st_uid != ::geteuid()) {
        qCWarning(m_logger) << "Cannot use" << m_point.lockPath << "to keep to one Veyra:"
                            << (m_lockFile < 0 ? ::strerror(errno) : "not a file of this user");
        if (m_lockFile >= 0) {
            ::close(m_lockFile);
            m_lockFile = -1;
        }
        return Outcome::claimed;
    }
    m_waiting = waiting;
    m_patience = patience;
    m_toldSilent = false;
    m_toldNotListening = false;
    m_running = {};
    for (;;) {
        if (::flock(m_lockFile, LOCK_EX | LOCK_NB) == 0) {
            m_claimed = true;
            return Outcome::claimed;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            qCWarning(m_logger) << "Cannot lock" << m_point.lockPath << "to keep to one Veyra:" << ::strerror(errno);
            return Outcome::claimed;
        }
        const Attempt attempt = handOver(deadline);
        if (attempt == Attempt::answered || attempt == Attempt::elsewhere) {
            ::close(m_lockFile);
            m_lockFile = -1;
            return attempt == Attempt::answered ? Outcome::handedOver : Outcome::runningElsewhere;
        }
        if (attempt == Attempt::silent || std::chrono::steady_clock::now() >= deadline) {
            ::close(m_lockFile);
            m_lockFile = -1;
            return Outcome::unanswered;
        }
        // Between its lock and its listener a Veyra is quick; a start says what it waits
        // for once the wait is longer than a moment.
        if (std::chrono::steady_clock::now() - started >= std::chrono::milliseconds(quietWaitMs)) {
            tell(m_toldNotListening,
                QStringLiteral("Veyra is already running but does not listen yet (it is starting up or quitting); "
                               "waiting up to %1 seconds for it.")
                    .arg(std::chrono::duration_cast<std::chrono::seconds>(patience.overall).count()));
        }
        std::this_thread::sleep_for(std::min(retryPause, std::chrono::milliseconds(remainingMs(deadline))));
    }
}

void SingleInstanceGuard::tell(bool &told, const QString &line)
{
    if (told || !m_waiting) {
        return;
    }
    told = true;
    m_waiting(line);
}

QString SingleInstanceGuard::runningElsewhereMessage() const
{
    return QStringLiteral("Veyra is already running on display \"%1\" (process %2), and each user runs one "
                          "Veyra: quit it there to start Veyra on \"%3\".")
        .arg(m_running.display)
        .arg(m_running.processID)
        .arg(m_display);
}

SingleInstanceGuard::Attempt SingleInstanceGuard::handOver(std::chrono::steady_clock::time_point deadline)
{
    const QByteArray path = QFile::encodeName(m_point.socketPath);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (static_cast<size_t>(path.size()) >= sizeof(address.sun_path)) {
        return Attempt::notListening;
    }
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    const FileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    // A local connection is made at once or not at all (no listener, or its queue is full).
    if (socket.get() < 0
        || ::connect(socket.get(), reinterpret_cast<const sockaddr *>(&address), sizeof(address)) != 0) {
        return Attempt::notListening;
    }
    // Only a process of this user is told anything or believed.
    const std::optional<uid_t> user = peerUser(socket.get(), &m_running.processID);
    if (user != ::geteuid()) {
        if (m_warnedUntrusted) {
            return Attempt::untrusted;
        }
        m_warnedUntrusted = true;
        qCWarning(m_logger).noquote()
            << QStringLiteral("%1 is held by a process of another user (%2); no handover to it.")
                   .arg(m_point.socketPath, user ? QStringLiteral("user %1").arg(*user) : QStringLiteral("unknown"));
        return Attempt::untrusted;
    }
    const QByteArray request = lineWithDisplay(requestWord, m_display);
    if (::send(socket.get(), request.constData(), static_cast<size_t>(request.size()), MSG_NOSIGNAL)
        != request.size()) {
        return Attempt::notListening;
    }
    // From here the running Veyra has the request: it answers within the patience, or not
    // at all.
    const auto answerDeadline = std::min(deadline, std::chrono::steady_clock::now() + m_patience.answer);
    QByteArray answer;
    while (!answer.endsWith('\n')) {
        // A running Veyra answers at once unless it is busy: past a moment, this start says
        // what it waits for.
        const int limit = remainingMs(answerDeadline);
        pollfd readable{socket.get(), POLLIN, 0};
        const int ready = ::poll(&readable, 1, m_toldSilent ? limit : std::min(limit, quietWaitMs));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready == 0 && !m_toldSilent && limit > quietWaitMs) {
            tell(m_toldSilent,
                QStringLiteral("Veyra is already running (process %1); waiting up to %2 seconds for it to answer.")
                    .arg(m_running.processID)
                    .arg(std::chrono::duration_cast<std::chrono::seconds>(m_patience.answer).count()));
            continue;
        }
        if (ready == 0) {
            return Attempt::silent;
        }
        if (ready < 0) {
            return Attempt::notListening;
        }
        char buffer[longestLine];
        const ssize_t got = ::recv(socket.get(), buffer, sizeof(buffer), 0);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (got <= 0) {
            return Attempt::notListening;
        }
        answer.append(buffer, got);
        if (answer.size() > longestLine) {
            return Attempt::notListening;
        }
    }
    if (answer == handoverAnswer) {
        return Attempt::answered;
    }
    if (const std::optional<QString> display = displayInLine(answer, elsewhereWord); display && !display->isEmpty()) {
        m_running.display = *display;
        return Attempt::elsewhere;
    }
    return Attempt::notListening;
}

void SingleInstanceGuard::startAnswering()
{
    if (!m_claimed || m_server != nullptr) {
        return;
    }
    // Only the holder of the lock gets here: a socket file left by a Veyra that ended
    // without removing it is stale.
    QLocalServer::removeServer(m_point.socketPath);
    m_server = new QLocalServer();
    // The folder is the user's alone, and so is the socket in it.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    m_server->setMaxPendingConnections(mostOpenConnections);
    if (!m_server->listen(m_point.socketPath)) {
        qCWarning(m_logger) << "Later starts cannot hand over to this Veyra:" << m_server->errorString();
        return;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            accept(socket);
        }
    });
}

void SingleInstanceGuard::accept(QLocalSocket *socket)
{
    // A process of another user is not listened to; nor are more connections than a few
    // starts at once make.
    if (peerUser(static_cast<int>(socket->socketDescriptor())) != ::geteuid()
        || m_openConnections >= mostOpenConnections) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    ++m_openConnections;
    connect(socket, &QObject::destroyed, this, [this] { --m_openConnections; });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { answer(socket); });
    // A start asks as soon as it is connected; a connection that stays silent is dropped.
    QTimer::singleShot(idleConnectionTimeout, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    answer(socket);
}

void SingleInstanceGuard::answer(QLocalSocket *socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > longestLine) {
            socket->abort();
            socket->deleteLater();
        }
        return;
    }
    const QByteArray request = socket->readLine(longestLine + 1);
    // A start that gave up waiting (this Veyra was frozen, or busy) has closed its end: it
    // ended on its own, and its request is stale.
    char next = 0;
    const qintptr descriptor = socket->socketDescriptor();
    const bool askerLeft = socket->state() != QLocalSocket::ConnectedState || descriptor < 0
        || ::recv(static_cast<int>(descriptor), &next, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
    const std::optional<QString> askerDisplay = displayInLine(request, requestWord);
    if (askerDisplay && !askerLeft) {
        const QString display = HandoverPoint::canonicalDisplay(*askerDisplay);
        if (display == m_display) {
            if (m_onHandover) {
                m_onHandover();
            }
            socket->write(handoverAnswer.data(), handoverAnswer.size());
        } else {
            // This Veyra stays where it is: the start on the other display ends and says
            // where it runs.
            qint64 asker = 0;
            peerUser(static_cast<int>(descriptor), &asker);
            const QString line = QStringLiteral("A start on display \"%1\" (process %2) ends: this Veyra runs on "
                                                "\"%3\", one per user.")
                                     .arg(display)
                                     .arg(asker)
                                     .arg(m_display);
            qCInfo(m_logger).noquote() << line;
            socket->write(lineWithDisplay(elsewhereWord, m_display));
        }
    }
    socket->disconnectFromServer();
}

} // namespace veyra
