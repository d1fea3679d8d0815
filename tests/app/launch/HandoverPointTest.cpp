// Test label: unit
// Where the running Veyra is found and who may talk to it: one Veyra per user, which comes
// forward for a start on its display however that is written and tells a start on another
// display where it runs; a folder of this user alone (or the private fallback) and a lock
// file of this user that is no link; a listener of another user that is never told
// anything, and an asker of another user that is never listened to; a running Veyra that
// ignores stale requests, drops silent connections and keeps only a few open.
#include "app/launch/SingleInstanceGuard.h"
#include "support/LogCapture.h"
#include "support/RunTask.h"
#include "support/TimeLimits.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <future>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace veyra;
using namespace veyra::test;

namespace {

const QString bundle = QStringLiteral("test.veyra.handover");
// The user that owns nothing here (another local user).
constexpr uid_t otherUser = 65534;

// Sets (or unsets) an environment variable for the scope.
class ScopedVariable
{
public:
    ScopedVariable(const char *name, const std::optional<QString> &value)
        : m_name(name)
        , m_was(qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name)) : std::nullopt)
    {
        if (value) {
            qputenv(name, QFile::encodeName(*value));
        } else {
            qunsetenv(name);
        }
    }
    ~ScopedVariable()
    {
        if (m_was) {
            qputenv(m_name, *m_was);
        } else {
            qunsetenv(m_name);
        }
    }

private:
    const char *m_name;
    std::optional<QByteArray> m_was;
};

QString makeFolder(const QString &path, mode_t mode)
{
    QDir().mkpath(path);
    ::chmod(QFile::encodeName(path).constData(), mode);
    return path;
}

bool isInside(const QString &path, const QString &folder)
{
    return QFileInfo(path).path() == folder;
}

int connectTo(const QString &socketPath)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(socketPath);
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket >= 0 && ::connect(socket, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) != 0) {
        ::close(socket);
        return -1;
    }
    return socket;
}

// Whether the other end has closed the connection (nothing left to read, end of stream).
bool isClosedByPeer(int socket)
{
    char byte = 0;
    return ::recv(socket, &byte, 1, MSG_DONTWAIT | MSG_PEEK) == 0;
}

// Whether some open file holds the file's lock (flock locks of two opens of one file
// exclude each other, in one process too).
bool isLocked(const QString &path)
{
    const int file = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (file < 0) {
        return false;
    }
    const bool locked = ::flock(file, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(file);
    return locked;
}

// What a later start on the display found, claiming the point on another thread while this
// one runs the event loop for the running Veyra.
struct LaterStart
{
    SingleInstanceGuard::Outcome outcome;
    SingleInstanceGuard::RunningVeyra running;
};

std::future<LaterStart> startLater(const HandoverPoint &point, const QString &display)
{
    return std::async(std::launch::async, [point, display] {
        SingleInstanceGuard guard(point, display);
        const SingleInstanceGuard::Outcome outcome = guard.claimOrHandOver(std::chrono::milliseconds(scaledMs(60000)));
        return LaterStart{outcome, guard.runningVeyra()};
    });
}

bool hasFinished(std::future<LaterStart> &start)
{
    return waitUntil([&] { return start.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 65000);
}

} // namespace

TEST(SingleInstanceGuard, OneVeyraComesForwardForItsDisplayHoweverWrittenAndTellsAnotherWhereItRuns)
{
    char machine[256] = {};
    ASSERT_EQ(::gethostname(machine, sizeof(machine) - 1), 0);
    // The local server of display 7, by every transport and with or without a screen.
    for (const QString &name : {QStringLiteral(":7"), QStringLiteral(":7.0"), QStringLiteral(":7.1"),
             QStringLiteral("unix:7"), QStringLiteral("unix:7.0"), QStringLiteral("localhost:7"),
             QStringLiteral("LocalHost:7.0"), QStringLiteral("127.0.0.1:7"), QStringLiteral("tcp/localhost:7"),
             QStringLiteral("unix/unix:7"), QString::fromLocal8Bit(machine) + QStringLiteral(":7.0")}) {
        EXPECT_EQ(HandoverPoint::canonicalDisplay(name).toStdString(), ":7") << name.toStdString();
    }
    // Other displays, and a display of another machine, are others.
    EXPECT_EQ(HandoverPoint::canonicalDisplay(QStringLiteral(":70")).toStdString(), ":70");
    EXPECT_EQ(HandoverPoint::canonicalDisplay(QStringLiteral("Tower.example:7.0")).toStdString(), "tower.example:7");

    // The user's Veyra runs on display 7.
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    makeFolder(runtime.path(), 0700);
    const ScopedVariable folder("XDG_RUNTIME_DIR", runtime.path());
    const HandoverPoint point = HandoverPoint::forUser(bundle);
    ASSERT_TRUE(point.isUsable());
    SingleInstanceGuard running(point, QStringLiteral("unix:7.0"));
    ASSERT_EQ(
        running.claimOrHandOver(std::chrono::milliseconds(scaledMs(1000))), SingleInstanceGuard::Outcome::claimed);
    int handovers = 0;
    running.setOnHandover([&handovers] { ++handovers; });
    running.startAnswering();

    // A start on that display, however it names it, hands over: the running Veyra comes
    // forward for each.
    int expected = 0;
    for (const QString &name : {QStringLiteral(":7"), QStringLiteral(":7.1"), QStringLiteral("localhost:7.0")}) {
        std::future<LaterStart> start = startLater(point, name);
        ASSERT_TRUE(hasFinished(start)) << name.toStdString();
        EXPECT_EQ(start.get().outcome, SingleInstanceGuard::Outcome::handedOver) << name.toStdString();
        EXPECT_EQ(handovers, ++expected) << name.toStdString();
    }
    // A start on another display (another number, or display 7 of another machine) is told
    // where Veyra runs, and by which process; the running Veyra stays as it is.
    for (const QString &name : {QStringLiteral(":70"), QStringLiteral("tower.example:7.0")}) {
        std::future<LaterStart> start = startLater(point, name);
        ASSERT_TRUE(hasFinished(start)) << name.toStdString();
        const LaterStart later = start.get();
        EXPECT_EQ(later.outcome, SingleInstanceGuard::Outcome::runningElsewhere) << name.toStdString();
        EXPECT_EQ(later.running.display.toStdString(), ":7");
        EXPECT_EQ(later.running.processID, QCoreApplication::applicationPid());
    }
    EXPECT_EQ(handovers, expected);
}

TEST(HandoverPoint, OnlyAFolderAndALockFileOfThisUserAloneHoldThePoint)
{
    QTemporaryDir base;
    ASSERT_TRUE(base.isValid());
    const ScopedVariable cache("XDG_CACHE_HOME", base.filePath(QStringLiteral("cache")));
    const auto pointWith = [](const std::optional<QString> &runtime) {
        const ScopedVariable folder("XDG_RUNTIME_DIR", runtime);
        return HandoverPoint::forUser(bundle);
    };
    // A start whose lock file is not fit to decide which Veyra runs: it runs on its own,
    // says why, and locks nothing (its guard alive meanwhile).
    const auto expectRunsOnItsOwn = [](const HandoverPoint &point, const QString &lockedThrough, const char *why) {
        LogCapture log;
        SingleInstanceGuard guard(point, QStringLiteral(":7"));
        EXPECT_EQ(
            guard.claimOrHandOver(std::chrono::milliseconds(scaledMs(1000))), SingleInstanceGuard::Outcome::claimed)
            << why;
        EXPECT_FALSE(isLocked(lockedThrough)) << why;
        const QStringList warnings = log.messages(QStringLiteral("Launch"), QtWarningMsg);
        EXPECT_TRUE(warnings.size() == 1 && warnings.first().contains(point.lockPath)) << why;
    };

    // The user's runtime folder, when it is theirs alone.
    const QString own = makeFolder(base.filePath(QStringLiteral("own")), 0700);
    const HandoverPoint inOwn = pointWith(own);
    EXPECT_TRUE(isInside(inOwn.lockPath, own) && isInside(inOwn.socketPath, own)) << inOwn.lockPath.toStdString();

    // Else the private fallback in the user's cache folder, made for the purpose.
    const HandoverPoint fallback = pointWith(std::nullopt);
    ASSERT_TRUE(fallback.isUsable());
    const QString fallbackFolder = QFileInfo(fallback.lockPath).path();
    EXPECT_TRUE(fallbackFolder.startsWith(base.filePath(QStringLiteral("cache/")) + bundle + QLatin1Char('/')))
        << fallbackFolder.toStdString();
    EXPECT_TRUE(HandoverPoint::isPrivateFolder(fallbackFolder));
    EXPECT_TRUE(isInside(fallback.socketPath, fallbackFolder));

    // A folder others may enter, a link (even to the user's own folder), a relative path:
    // the fallback.
    const QString shared = makeFolder(base.filePath(QStringLiteral("shared")), 01777);
    const QString readable = makeFolder(base.filePath(QStringLiteral("readable")), 0750);
    const QString link = base.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(own, link));
    for (const QString &runtime : {shared, readable, link, QStringLiteral("own")}) {
        EXPECT_EQ(pointWith(runtime).lockPath.toStdString(), fallback.lockPath.toStdString()) << runtime.toStdString();
    }

    // The lock is never taken through a link: one that leads nowhere makes no file there,
    // one that leads to a file of this user does not lock it.
    const QString target = base.filePath(QStringLiteral("target"));
    ASSERT_TRUE(QFile::link(target, inOwn.lockPath));
    expectRunsOnItsOwn(inOwn, target, "a link to nothing");
    EXPECT_FALSE(QFileInfo::exists(target));
    QFile targetFile(target);
    ASSERT_TRUE(targetFile.open(QIODevice::WriteOnly));
    targetFile.close();
    expectRunsOnItsOwn(inOwn, target, "a link to a file of this user");
    ASSERT_TRUE(QFile::remove(inOwn.lockPath));

    if (::geteuid() != 0) {
        GTEST_SKIP() << "acting as another user needs root";
    }
    // A folder of another user, however closed, is not this user's.
    const QString others = makeFolder(base.filePath(QStringLiteral("others")), 0700);
    ASSERT_EQ(::chown(QFile::encodeName(others).constData(), otherUser, otherUser), 0);
    EXPECT_EQ(pointWith(others).lockPath.toStdString(), fallback.lockPath.toStdString());

    // Nor is a lock file of another user in this user's folder.
    QFile othersLock(inOwn.lockPath);
    ASSERT_TRUE(othersLock.open(QIODevice::WriteOnly));
    othersLock.close();
    ASSERT_EQ(::chown(QFile::encodeName(inOwn.lockPath).constData(), otherUser, otherUser), 0);
    expectRunsOnItsOwn(inOwn, inOwn.lockPath, "a file of another user");

    // When another user has taken the fallback's place, there is no point at all: the start
    // runs on its own, writing nothing there.
    const ScopedVariable otherCache("XDG_CACHE_HOME", base.filePath(QStringLiteral("taken")));
    const HandoverPoint wouldBe = [&] {
        const ScopedVariable unaffected("XDG_CACHE_HOME", base.filePath(QStringLiteral("probe")));
        return pointWith(std::nullopt);
    }();
    const QString taken = base.filePath(QStringLiteral("taken/")) + bundle + QLatin1Char('/')
        + QFileInfo(QFileInfo(wouldBe.lockPath).path()).fileName();
    makeFolder(taken, 0700);
    ASSERT_EQ(::chown(QFile::encodeName(taken).constData(), otherUser, otherUser), 0);
    const HandoverPoint none = pointWith(std::nullopt);
    EXPECT_FALSE(none.isUsable()) << none.lockPath.toStdString();
    SingleInstanceGuard guard(none, QStringLiteral(":7"));
    EXPECT_EQ(guard.claimOrHandOver(std::chrono::milliseconds(scaledMs(1000))), SingleInstanceGuard::Outcome::claimed);
    EXPECT_TRUE(QDir(taken).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System));
}

TEST(SingleInstanceGuard, AnotherUserIsToldNothingAndNotListenedTo)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "acting as another user needs root";
    }
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    makeFolder(runtime.path(), 0700);
    const ScopedVariable folder("XDG_RUNTIME_DIR", runtime.path());
    const HandoverPoint point = HandoverPoint::forUser(bundle);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(point.socketPath);
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));

    // A process of another user holds the lock and listens on the socket, and reports how
    // many bytes the first connection brought it.
    {
        const int lock = ::open(QFile::encodeName(point.lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(lock, 0);
        ASSERT_EQ(::flock(lock, LOCK_EX), 0);
        const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr *>(&address), sizeof(address)), 0);
        int report[2];
        ASSERT_EQ(::pipe2(report, O_CLOEXEC), 0);
        const pid_t other = ::fork();
        ASSERT_GE(other, 0);
        if (other == 0) {
            // Only async-signal-safe calls in the child of a threaded program.
            if (::setgid(otherUser) != 0 || ::setuid(otherUser) != 0 || ::listen(listener, 8) != 0) {
                ::_exit(2);
            }
            const int connection = ::accept(listener, nullptr, nullptr);
            ssize_t total = 0;
            char buffer[64];
            for (ssize_t got = 0; (got = ::read(connection, buffer, sizeof(buffer))) > 0;) {
                total += got;
            }
            ::_exit(::write(report[1], &total, sizeof(total)) == sizeof(total) ? 0 : 3);
        }
        ::close(report[1]);

        // The start connects, finds another user at the other end, says nothing and, without
        // an answer, gives up.
        {
            SingleInstanceGuard later(point, QStringLiteral(":7"));
            EXPECT_EQ(later.claimOrHandOver(std::chrono::milliseconds(300)), SingleInstanceGuard::Outcome::unanswered);
        }
        ssize_t received = -1;
        EXPECT_EQ(::read(report[0], &received, sizeof(received)), static_cast<ssize_t>(sizeof(received)));
        EXPECT_EQ(received, 0);
        int status = 0;
        ASSERT_EQ(::waitpid(other, &status, 0), other);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        ::close(report[0]);
        ::close(listener);
        ::close(lock);
    }

    // The other way round: this user's Veyra runs, and a process of another user reaches its
    // socket (as it could were the folder and the socket open to others) and asks it to come
    // forward on its display. It is not listened to: no answer, and nothing comes forward.
    SingleInstanceGuard running(point, QStringLiteral(":7"));
    ASSERT_EQ(
        running.claimOrHandOver(std::chrono::milliseconds(scaledMs(1000))), SingleInstanceGuard::Outcome::claimed);
    int handovers = 0;
    running.setOnHandover([&handovers] { ++handovers; });
    running.startAnswering();
    ASSERT_EQ(::chmod(QFile::encodeName(runtime.path()).constData(), 0711), 0);
    ASSERT_EQ(::chmod(path.constData(), 0777), 0);
    const QByteArray folderPath = QFile::encodeName(runtime.path());
    const QByteArray socketName = QFile::encodeName(QFileInfo(point.socketPath).fileName());
    sockaddr_un relative{};
    relative.sun_family = AF_UNIX;
    std::memcpy(relative.sun_path, socketName.constData(), static_cast<size_t>(socketName.size()));
    constexpr char request[] = "activate :7\n";
    int report[2];
    ASSERT_EQ(::pipe2(report, O_CLOEXEC), 0);
    const pid_t asker = ::fork();
    ASSERT_GE(asker, 0);
    if (asker == 0) {
        // In the folder while still allowed there (wherever it lies), then another user;
        // sending may fail once the running Veyra has closed the connection.
        if (::chdir(folderPath.constData()) != 0 || ::setgid(otherUser) != 0 || ::setuid(otherUser) != 0) {
            ::_exit(2);
        }
        const int connection = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (connection < 0
            || ::connect(connection, reinterpret_cast<const sockaddr *>(&relative), sizeof(relative)) != 0) {
            ::_exit(3);
        }
        [[maybe_unused]] const ssize_t sent = ::send(connection, request, sizeof(request) - 1, MSG_NOSIGNAL);
        ssize_t total = 0;
        char buffer[64];
        for (ssize_t got = 0; (got = ::read(connection, buffer, sizeof(buffer))) > 0;) {
            total += got;
        }
        ::_exit(::write(report[1], &total, sizeof(total)) == sizeof(total) ? 0 : 4);
    }
    ::close(report[1]);
    // The running Veyra's event loop runs until the asker has had its answer or none.
    EXPECT_TRUE(waitUntil([&] {
        pollfd readable{report[0], POLLIN, 0};
        return ::poll(&readable, 1, 0) == 1;
    }));
    ssize_t answered = -1;
    EXPECT_EQ(::read(report[0], &answered, sizeof(answered)), static_cast<ssize_t>(sizeof(answered)));
    EXPECT_EQ(answered, 0);
    EXPECT_EQ(handovers, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(asker, &status, 0), asker);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    ::close(report[0]);
}

TEST(SingleInstanceGuard, StaleAndSilentConnectionsAreDroppedAndOnlyAFewAreKept)
{
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    makeFolder(runtime.path(), 0700);
    const ScopedVariable folder("XDG_RUNTIME_DIR", runtime.path());
    const HandoverPoint point = HandoverPoint::forUser(bundle);

    SingleInstanceGuard running(point, QStringLiteral(":7"));
    ASSERT_EQ(
        running.claimOrHandOver(std::chrono::milliseconds(scaledMs(1000))), SingleInstanceGuard::Outcome::claimed);
    int handovers = 0;
    running.setOnHandover([&handovers] { ++handovers; });
    running.startAnswering();
    // The socket is the user's alone.
    QFileInfo socketFile(point.socketPath);
    EXPECT_EQ(socketFile.permissions()
            & (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther),
        QFileDevice::Permissions());

    // A start that asked and gave up before the answer (this Veyra was busy) is gone: its
    // request is stale, and nothing comes forward for it.
    const int gaveUp = connectTo(point.socketPath);
    ASSERT_GE(gaveUp, 0);
    constexpr char request[] = "activate :7\n";
    ASSERT_EQ(::send(gaveUp, request, sizeof(request) - 1, MSG_NOSIGNAL), static_cast<ssize_t>(sizeof(request) - 1));
    ::close(gaveUp);
    // A start after it hands over as ever.
    std::future<LaterStart> next = startLater(point, QStringLiteral(":7"));
    ASSERT_TRUE(hasFinished(next));
    EXPECT_EQ(next.get().outcome, SingleInstanceGuard::Outcome::handedOver);
    ASSERT_TRUE(waitUntil([&] { return running.openConnectionCount() == 0; }));

    // More connections than a few starts at once make, all silent.
    constexpr int extra = 3;
    std::vector<int> silent;
    for (int index = 0; index < SingleInstanceGuard::mostOpenConnections + extra; ++index) {
        const int socket = connectTo(point.socketPath);
        ASSERT_GE(socket, 0) << index;
        silent.push_back(socket);
    }
    const auto closedCount
        = [&silent] { return static_cast<int>(std::count_if(silent.begin(), silent.end(), isClosedByPeer)); };
    // The ones beyond the bound are closed at once, the others kept for a while.
    ASSERT_TRUE(waitUntil([&] {
        return running.openConnectionCount() == SingleInstanceGuard::mostOpenConnections && closedCount() == extra;
    }));

    // A start meanwhile gets through once the silent ones have been dropped.
    std::future<LaterStart> later = startLater(point, QStringLiteral(":7"));
    ASSERT_TRUE(hasFinished(later));
    EXPECT_EQ(later.get().outcome, SingleInstanceGuard::Outcome::handedOver);
    EXPECT_TRUE(waitUntil([&] { return closedCount() == static_cast<int>(silent.size()); }));
    EXPECT_TRUE(waitUntil([&] { return running.openConnectionCount() == 0; }));
    // Two starts came forward; the one that had given up did not.
    EXPECT_EQ(handovers, 2);
    for (const int socket : silent) {
        ::close(socket);
    }
}
