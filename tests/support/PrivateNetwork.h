#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QNetworkDatagram>
#include <QString>
#include <QTemporaryDir>
#include <QUdpSocket>

#include <utility>

namespace veyra::test {

// For tests of what the system's resolver does with a name server that never answers,
// where nothing can leave this machine. expectPassedInPrivateNetwork() runs the current
// test again, alone, in a child process with a network namespace of its own (nothing in it
// but a loopback interface) and a mount namespace of its own, both made by util-linux's
// unshare (as a user other than root, inside a user namespace of its own too); there the
// test makes a SilentNameServer:
//
//     if (!inPrivateNetwork()) {
//         expectPassedInPrivateNetwork();
//         return;
//     }
//     SilentNameServer nameServer;
//     ASSERT_TRUE(nameServer.error().isEmpty()) << nameServer.error().toStdString();

// Whether this program is the child that expectPassedInPrivateNetwork() started: the
// environment names this process's parent as the test that started it. Whether the child
// really has namespaces of its own is checked by SilentNameServer before it changes
// anything.
bool inPrivateNetwork();

// The environment variable and value that mark a child of `parent` (a running process of
// this user) started by expectPassedInPrivateNetwork(): the parent's process id and the
// network and mount namespaces it is in.
std::pair<QByteArray, QByteArray> privateNetworkMarker(qint64 parent);

// Runs the current test in a private network (see above) and fails it unless the child
// passed it; the child's output is in the failure message.
void expectPassedInPrivateNetwork();

// A name server that reads every query and answers none. It brings the loopback interface
// up and listens on 127.0.0.1, port 53, which the private network's /etc/resolv.conf names
// as the only name server, with the longest time-outs the system's resolver takes (a lookup
// waits minutes); its /etc/nsswitch.conf looks names up in /etc/hosts, then by DNS only.
// Given host names, its /etc/hosts maps localhost and those names, and nothing else.
// Destroyed, it answers the queries it holds that their names do not exist, so that the
// lookups still waiting on threads of their own end, closes, so that the system refuses
// any later query at once, and unmounts its files.
//
// Only in the child of expectPassedInPrivateNetwork(), and only there with namespaces of
// its own: before it brings up, binds or mounts anything it checks that its network and
// mount namespaces are not those of the test that started it, whatever the environment
// says, and otherwise fails with error() and changes nothing. GUI thread only, and queries
// are read as the event loop turns.
class SilentNameServer
{
public:
    explicit SilentNameServer(const QList<std::pair<QString, QHostAddress>> &hosts = {});
    ~SilentNameServer();

    SilentNameServer(const SilentNameServer &) = delete;
    SilentNameServer &operator=(const SilentNameServer &) = delete;

    // Empty when it listens and the resolver's configuration names it; else what failed.
    QString error() const { return m_error; }

    // How many queries (of any type) for `name` have arrived.
    int queriesFor(const QString &name) const { return m_queries.value(name.toLower()); }

private:
    void setUp(const QList<std::pair<QString, QHostAddress>> &hosts);
    void mountOver(const QString &target, const QByteArray &contents);
    void readQueries();

    QTemporaryDir m_folder;
    // The files mounted over, in order.
    QStringList m_mounted;
    QUdpSocket m_socket;
    // Each query held, with the length of its header and question.
    QList<std::pair<QNetworkDatagram, int>> m_held;
    QHash<QString, int> m_queries;
    QString m_error;
};

} // namespace veyra::test
