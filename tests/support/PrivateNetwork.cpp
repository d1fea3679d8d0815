#include "support/PrivateNetwork.h"

#include "support/TimeLimits.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

namespace veyra::test {

namespace {

constexpr char childMarker[] = "VEYRA_TEST_IN_PRIVATE_NETWORK";

// The header of a DNS message.
constexpr int headerBytes = 12;

QString systemError(const QString &what)
{
    return QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
}

// Brings the loopback interface of this network namespace up (a new namespace has it down).
QString bringUpLoopback()
{
    const int descriptor = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (descriptor < 0) {
        return systemError(QStringLiteral("socket"));
    }
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    QString error;
    if (::ioctl(descriptor, SIOCGIFFLAGS, &request) != 0) {
        error = systemError(QStringLiteral("reading the flags of lo"));
    } else {
        request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP);
        if (::ioctl(descriptor, SIOCSIFFLAGS, &request) != 0) {
            error = systemError(QStringLiteral("bringing lo up"));
        }
    }
    ::close(descriptor);
    return error;
}

// The namespace of a kind ("net", "mnt") that a process is in, as the kernel names it
// ("net:[4026531840]"); empty when it cannot be read (another user's process, or one in a
// user namespace other than ours).
QByteArray namespaceOf(const QByteArray &process, const char *kind)
{
    const QByteArray link = "/proc/" + process + "/ns/" + kind;
    char target[128];
    const ssize_t length = ::readlink(link.constData(), target, sizeof target);
    return length > 0 ? QByteArray(target, static_cast<qsizetype>(length)) : QByteArray();
}

// Why this process is not in a network and mount namespace of its own, made for it by the
// test that started it; empty when it is. The environment only names that test and what it
// saw; the namespaces are compared here, with the parent's as the kernel shows them where
// it lets this process see them.
QString whyNotPrivate()
{
    const QList<QByteArray> marker = qgetenv(childMarker).split(' ');
    const QByteArray parent = QByteArray::number(static_cast<qint64>(::getppid()));
    if (marker.size() != 3 || marker[0] != parent) {
        return QStringLiteral("this process was not started by expectPassedInPrivateNetwork()");
    }
    const char *const kinds[] = {"net", "mnt"};
    for (int index = 0; index < 2; ++index) {
        const QByteArray own = namespaceOf("self", kinds[index]);
        QByteArray parents = namespaceOf(parent, kinds[index]);
        if (parents.isEmpty()) {
            parents = marker[index + 1];
        }
        if (own.isEmpty() || own == parents) {
            return QStringLiteral("this process shares the %1 namespace (%2) of the test that started it")
                .arg(QLatin1String(kinds[index]), QString::fromLatin1(own));
        }
    }
    return {};
}

// The system's configuration of name services with hosts looked up in /etc/hosts, then by
// DNS only.
QByteArray nameServicesWithHostsAndDNS()
{
    QFile current(QStringLiteral("/etc/nsswitch.conf"));
    QByteArray configuration;
    if (current.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : current.readAll().split('\n')) {
            if (!line.trimmed().startsWith("hosts:")) {
                configuration += line + '\n';
            }
        }
    }
    return configuration + "hosts: files dns\n";
}

// The name a query asks about (lower case, without the root's dot) and the length of its
// header and question; nothing when it is no query of one question.
std::optional<std::pair<QString, int>> questionOf(const QByteArray &message)
{
    if (message.size() < headerBytes || (message.at(2) & 0x80) != 0 || message.at(4) != 0 || message.at(5) != 1) {
        return std::nullopt;
    }
    QStringList labels;
    int at = headerBytes;
    while (at < message.size()) {
        const int length = static_cast<unsigned char>(message.at(at));
        ++at;
        if (length == 0) {
            // The type and class follow the name.
            if (at + 4 > message.size()) {
                return std::nullopt;
            }
            return std::pair{labels.join(QLatin1Char('.')).toLower(), at + 4};
        }
        if (length > 63 || at + length > message.size()) {
            return std::nullopt;
        }
        labels.append(QString::fromLatin1(message.mid(at, length)));
        at += length;
    }
    return std::nullopt;
}

// The answer that the name of a query does not exist: its header and question, marked as
// a response with the code NXDOMAIN and no records. (A refusal would have the resolver ask
// again.)
QByteArray noSuchNameFor(const QByteArray &query, int questionEnd)
{
    QByteArray answer = query.left(questionEnd);
    answer[2] = static_cast<char>(answer.at(2) | 0x80);
    answer[3] = static_cast<char>(0x80 | 3);
    for (int at = 6; at < headerBytes; ++at) {
        answer[at] = 0;
    }
    return answer;
}

} // namespace

bool inPrivateNetwork()
{
    return qgetenv(childMarker).split(' ').value(0) == QByteArray::number(static_cast<qint64>(::getppid()));
}

std::pair<QByteArray, QByteArray> privateNetworkMarker(qint64 parent)
{
    const QByteArray process = QByteArray::number(parent);
    return {childMarker, process + ' ' + namespaceOf(process, "net") + ' ' + namespaceOf(process, "mnt")};
}

void expectPassedInPrivateNetwork()
{
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    ASSERT_NE(test, nullptr);
    QStringList arguments;
    if (::geteuid() != 0) {
        arguments << QStringLiteral("--map-root-user");
    }
    arguments << QStringLiteral("--mount") << QStringLiteral("--net") << QStringLiteral("--propagation=private")
              << QStringLiteral("--") << QCoreApplication::applicationFilePath()
              << QStringLiteral("--gtest_filter=%1.%2")
                     .arg(QLatin1String(test->test_suite_name()), QLatin1String(test->name()));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const auto [marker, value] = privateNetworkMarker(QCoreApplication::applicationPid());
    environment.insert(QString::fromLatin1(marker), QString::fromLatin1(value));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("unshare"), arguments);
    ASSERT_TRUE(child.waitForStarted()) << "util-linux's unshare did not start: " << child.errorString().toStdString();
    // Only a child that hangs meets this limit.
    const bool ended = child.waitForFinished(scaledMs(300000));
    if (!ended) {
        child.kill();
        child.waitForFinished();
    }
    const QString output = QString::fromLocal8Bit(child.readAll());
    std::string ending = "it hung";
    if (ended) {
        ending = child.exitStatus() == QProcess::CrashExit ? "it crashed"
                                                           : "exit code " + std::to_string(child.exitCode());
    }
    EXPECT_TRUE(ended && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0
        && output.contains(QLatin1String("[  PASSED  ] 1 test")))
        << "the test did not pass in a private network (" << ending << "):\n"
        << output.toStdString();
}

SilentNameServer::SilentNameServer(const QList<std::pair<QString, QHostAddress>> &hosts)
{
    setUp(hosts);
    if (m_error.isEmpty()) {
        QObject::connect(&m_socket, &QUdpSocket::readyRead, [this] { readQueries(); });
    }
}

SilentNameServer::~SilentNameServer()
{
    if (m_socket.state() == QAbstractSocket::BoundState) {
        readQueries();
        for (const auto &[query, questionEnd] : std::as_const(m_held)) {
            m_socket.writeDatagram(query.makeReply(noSuchNameFor(query.data(), questionEnd)));
        }
        m_socket.close();
    }
    for (auto target = m_mounted.crbegin(); target != m_mounted.crend(); ++target) {
        if (::umount2(QFile::encodeName(*target).constData(), 0) != 0) {
            ADD_FAILURE() << systemError(QStringLiteral("unmounting %1").arg(*target)).toStdString();
        }
    }
}

void SilentNameServer::setUp(const QList<std::pair<QString, QHostAddress>> &hosts)
{
    // Before anything changes: only namespaces of its own keep this off the machine.
    m_error = whyNotPrivate();
    if (!m_error.isEmpty()) {
        return;
    }
    if (!m_folder.isValid()) {
        m_error = m_folder.errorString();
        return;
    }
    m_error = bringUpLoopback();
    if (!m_error.isEmpty()) {
        return;
    }
    if (!m_socket.bind(QHostAddress::LocalHost, 53)) {
        m_error = QStringLiteral("listening on 127.0.0.1:53: %1").arg(m_socket.errorString());
        return;
    }
    // glibc's longest: 30 seconds a try, five tries.
    mountOver(QStringLiteral("/etc/resolv.conf"), "nameserver 127.0.0.1\noptions timeout:30 attempts:5\n");
    mountOver(QStringLiteral("/etc/nsswitch.conf"), nameServicesWithHostsAndDNS());
    if (!hosts.isEmpty()) {
        QByteArray table = "127.0.0.1 localhost\n::1 localhost\n";
        for (const auto &[name, address] : hosts) {
            table += address.toString().toLatin1() + ' ' + name.toUtf8() + '\n';
        }
        mountOver(QStringLiteral("/etc/hosts"), table);
    }
}

void SilentNameServer::mountOver(const QString &target, const QByteArray &contents)
{
    if (!m_error.isEmpty()) {
        return;
    }
    // Written into the folder, then that file is mounted over the target (in this mount
    // namespace only).
    const QString path = m_folder.filePath(target.section(QLatin1Char('/'), -1));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size() || !file.flush()) {
        m_error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return;
    }
    file.close();
    if (::mount(QFile::encodeName(path).constData(), QFile::encodeName(target).constData(), nullptr, MS_BIND, nullptr)
        != 0) {
        m_error = systemError(QStringLiteral("mounting over %1").arg(target));
        return;
    }
    m_mounted.append(target);
}

void SilentNameServer::readQueries()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram query = m_socket.receiveDatagram();
        if (const auto question = questionOf(query.data())) {
            ++m_queries[question->first];
            m_held.append({query, question->second});
        }
    }
}

} // namespace veyra::test
