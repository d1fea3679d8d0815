// Test label: keyring
// A session bus without a working Secret Service: this program starts a bus of its own,
// whose only service folder the test fills, and points the whole process at it before
// anything talks to a bus. The label's own bus and keyring are never used.
#include "account/authentication/AuthenticationClientError.h"
#include "account/authentication/HTTPAuthenticationClient.h"
#include "account/session/ServerAuthenticationSession.h"
#include "account/tokens/KeychainRefreshTokenStore.h"
#include "account/tokens/SecretServiceQueries.h"
#include "support/AuthenticationServiceScript.h"
#include "support/RunTask.h"
#include "support/TimeLimits.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <signal.h>

using namespace veyra;
using namespace veyra::test;

namespace {

const QString secretServiceName = QStringLiteral("org.freedesktop.secrets");

class RefreshTokenStoreWithoutSecretServiceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(m_folder->isValid());
        ASSERT_TRUE(QDir(m_folder->path()).mkdir(QStringLiteral("services")));
        // A session bus like the desktop's, but it starts services from one folder only.
        QFile configuration(m_folder->filePath(QStringLiteral("bus.conf")));
        ASSERT_TRUE(configuration.open(QIODevice::WriteOnly));
        configuration.write(
            QStringLiteral(R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <servicedir>%1/services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)")
                .arg(m_folder->path())
                .toUtf8());
        configuration.close();

        m_bus = std::make_unique<QProcess>();
        m_bus->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_bus->start(QStringLiteral("dbus-daemon"),
            {QStringLiteral("--config-file=") + configuration.fileName(), QStringLiteral("--nofork"),
                QStringLiteral("--print-address=1")});
        QByteArray address;
        QElapsedTimer timer;
        timer.start();
        while (!address.contains('\n') && timer.elapsed() < scaledMs(20000) && m_bus->waitForReadyRead(1000)) {
            address += m_bus->readAllStandardOutput();
        }
        ASSERT_TRUE(address.contains('\n')) << "the test's session bus did not start";
        qputenv("DBUS_SESSION_BUS_ADDRESS", address.trimmed());

        // Nothing in this process may have reached a bus before: the keyring library and
        // the store both use the session bus of the process.
        const QDBusConnection direct = QDBusConnection::connectToBus(
            QString::fromLocal8Bit(address.trimmed()), QStringLiteral("veyra-test-direct"));
        ASSERT_TRUE(direct.isConnected());
        ASSERT_EQ(busId(QDBusConnection::sessionBus()), busId(direct));
        QDBusConnection::disconnectFromBus(QStringLiteral("veyra-test-direct"));
    }

    void TearDown() override
    {
        if (m_bus) {
            // The keyring library's session connection (GIO's) ends its process with
            // SIGTERM once it sees its bus go, on a later turn of the event loop: this
            // program's bus goes here, and the program goes on to its end.
            std::signal(SIGTERM, SIG_IGN);
            m_bus->terminate();
            m_bus->waitForFinished(scaledMs(10000));
        }
        m_bus.reset();
        m_folder.reset();
    }

    static QString busId(const QDBusConnection &bus)
    {
        const QDBusMessage reply = bus.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                QStringLiteral("/org/freedesktop/DBus"),
                                                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId")),
            QDBus::Block, scaledMs(10000));
        return reply.arguments().value(0).toString();
    }

    static bool nameHasOwner()
    {
        QDBusMessage question = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
            QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"),
            QStringLiteral("NameHasOwner"));
        question.setArguments({secretServiceName});
        return QDBusConnection::sessionBus()
            .call(question, QDBus::Block, scaledMs(10000))
            .arguments()
            .value(0)
            .toBool();
    }

    static QStringList activatableNames()
    {
        const QDBusMessage reply = QDBusConnection::sessionBus().call(
            QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"),
                QStringLiteral("ListActivatableNames")),
            QDBus::Block, scaledMs(10000));
        return reply.arguments().value(0).toStringList();
    }

    // The bus offers to start a Secret Service (as where a keyring is installed) that
    // never comes up (as where it is broken or cannot run in this session).
    void offerAServiceThatNeverStarts()
    {
        QFile service(m_folder->filePath(QStringLiteral("services/org.freedesktop.secrets.service")));
        ASSERT_TRUE(service.open(QIODevice::WriteOnly));
        service.write("[D-BUS Service]\nName=org.freedesktop.secrets\nExec=/bin/false\n");
        service.close();
        const QDBusMessage reload = QDBusConnection::sessionBus().call(
            QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"),
                QStringLiteral("ReloadConfig")),
            QDBus::Block, scaledMs(10000));
        ASSERT_EQ(reload.type(), QDBusMessage::ReplyMessage) << reload.errorMessage().toStdString();
        ASSERT_TRUE(waitUntil([] { return activatableNames().contains(secretServiceName); }));
    }

    // What a player without a keyring meets: nothing to read, nothing can be saved, and
    // at launch the sign-in screen (no session), not a server that stays unavailable.
    static void expectNoKeyring()
    {
        KeychainRefreshTokenStore store(
            QStringLiteral("io.veyra.test.authentication"), QStringLiteral("server-refresh-token"));
        EXPECT_EQ(runTask(store.load()), std::nullopt);
        EXPECT_NO_THROW(runTask(store.deleteToken()));
        try {
            runTask(store.save(QStringLiteral("renew-1")));
            ADD_FAILURE() << "saving succeeded without a keyring";
        } catch (const AuthenticationClientError &error) {
            EXPECT_EQ(error.kind(), AuthenticationClientError::Kind::keychain);
        }

        EXPECT_EQ(restoreAtLaunch(), AuthenticationRestoreResult::noSession);
    }

    // What restoring the session at launch answers on this bus; the server is never asked.
    static AuthenticationRestoreResult restoreAtLaunch()
    {
        ServiceStandIn standIn;
        ServerAuthenticationSession session(true,
            std::make_shared<HTTPAuthenticationClient>(ServerConfiguration(standIn.url())),
            std::make_shared<KeychainRefreshTokenStore>(
                QStringLiteral("io.veyra.test.authentication"), QStringLiteral("server-refresh-token")),
            std::make_shared<AuthenticationEventRouter>());
        const AuthenticationRestoreResult result = runTask(session.restore());
        EXPECT_EQ(standIn.requestCount(), 0);
        return result;
    }

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<QProcess> m_bus;
};

} // namespace

TEST_F(RefreshTokenStoreWithoutSecretServiceTest, OnlyASecretServiceThatAnswersIsAKeyring)
{
    // Nothing on the bus can answer for secrets.
    ASSERT_FALSE(activatableNames().contains(secretServiceName));
    expectNoKeyring();

    // The bus names a Secret Service it can start, but starting it fails.
    offerAServiceThatNeverStarts();
    expectNoKeyring();

    // A service that runs under the name but refuses every request (here this program's
    // second bus connection, which knows none of its methods) is a keyring that fails, not
    // an empty one: at launch the session is unavailable for now, and nothing is lost.
    QDBusConnection impostor
        = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("veyra-test-impostor"));
    ASSERT_TRUE(impostor.registerService(secretServiceName));
    KeychainRefreshTokenStore store(
        QStringLiteral("io.veyra.test.authentication"), QStringLiteral("server-refresh-token"));
    const auto failure = [](auto call) -> std::optional<AuthenticationClientError::Kind> {
        try {
            runTask(std::move(call));
        } catch (const AuthenticationClientError &error) {
            return error.kind();
        }
        return std::nullopt;
    };
    EXPECT_EQ(failure(store.load()), AuthenticationClientError::Kind::keychain);
    EXPECT_EQ(failure(store.deleteToken()), AuthenticationClientError::Kind::keychain);
    EXPECT_EQ(restoreAtLaunch(), AuthenticationRestoreResult::keyringUnavailable);
    impostor.unregisterService(secretServiceName);
    QDBusConnection::disconnectFromBus(QStringLiteral("veyra-test-impostor"));

    // A real keyring that hangs (stopped as a stuck process is) is there and fails; the bus
    // is not asked to start another one, nor waited on for long.
    ASSERT_TRUE(waitUntil([] { return !nameHasOwner(); }));
    const QString keyringHome = m_folder->filePath(QStringLiteral("keyring"));
    ASSERT_TRUE(QDir().mkpath(keyringHome + QStringLiteral("/runtime")));
    QFile::setPermissions(keyringHome + QStringLiteral("/runtime"),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcess keyring;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), keyringHome);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), keyringHome + QStringLiteral("/runtime"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), keyringHome);
    keyring.setProcessEnvironment(environment);
    keyring.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    keyring.start(QStringLiteral("gnome-keyring-daemon"),
        {QStringLiteral("--foreground"), QStringLiteral("--components=secrets"), QStringLiteral("--unlock")});
    ASSERT_TRUE(keyring.waitForStarted(scaledMs(10000)));
    keyring.write("veyra-test");
    keyring.closeWriteChannel();
    ASSERT_TRUE(waitUntil([] { return nameHasOwner(); }));
    ASSERT_EQ(::kill(static_cast<pid_t>(keyring.processId()), SIGSTOP), 0);
    EXPECT_TRUE(runTask(secretServiceReachable(), 20000));
    EXPECT_EQ(failure(store.load()), AuthenticationClientError::Kind::keychain);
    EXPECT_EQ(restoreAtLaunch(), AuthenticationRestoreResult::keyringUnavailable);
    ::kill(static_cast<pid_t>(keyring.processId()), SIGCONT);
    keyring.kill();
    keyring.waitForFinished(scaledMs(10000));
}
