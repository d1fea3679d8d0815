#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QNetworkDatagram>
#include <QString>
#include <QTemporaryDir>
#include <QUdpSocket>

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

// Whether this program is the child that expectPassedInPrivateNetwork() started.
bool inPrivateNetwork();

// Runs the current test in a private network (see above) and fails it unless the child
// passed it; the child's output is in the failure message.
void expectPassedInPrivateNetwork();

// A name server that reads every query and answers none. It brings the loopback interface
// up and listens on 127.0.0.1, port 53, which the private network's /etc/resolv.conf names
// as the only name server, with the longest time-outs the system's resolver takes (a lookup
// waits minutes); its /etc/nsswitch.conf looks names up in /etc/hosts, then by DNS only.
// Destroyed, it answers the queries it holds that their names do not exist, so that the
// lookups still waiting on threads of their own end, and closes, so that the system
// refuses any later query at once. Only in the child of expectPassedInPrivateNetwork();
// GUI thread only, and queries are read as the event loop turns.
class SilentNameServer
{
public:
    SilentNameServer();
    ~SilentNameServer();

    SilentNameServer(const SilentNameServer &) = delete;
    SilentNameServer &operator=(const SilentNameServer &) = delete;

    // Empty when it listens and the resolver's configuration names it; else what failed.
    QString error() const { return m_error; }

    // How many queries (of any type) for `name` have arrived.
    int queriesFor(const QString &name) const { return m_queries.value(name.toLower()); }

private:
    void setUp();
    void readQueries();

    QTemporaryDir m_folder;
    QUdpSocket m_socket;
    // Each query held, with the length of its header and question.
    QList<std::pair<QNetworkDatagram, int>> m_held;
    QHash<QString, int> m_queries;
    QString m_error;
};

} // namespace veyra::test
