// Test label: keyring
// Runs against a real Secret Service: the test script's private D-Bus session with an
// unlocked gnome-keyring. Each test uses a service name of its own.
#include "account/tokens/KeychainRefreshTokenStore.h"
#include "account/authentication/AuthenticationClientError.h"
#include "account/authentication/HTTPAuthenticationClient.h"
#include "account/coordinator/AuthenticationCoordinator.h"
#include "account/google/FixtureGoogleIDTokenProvider.h"
#include "account/session/ServerAuthenticationSession.h"
#include "support/AuthenticationServiceScript.h"
#include "support/LockableKeyring.h"
#include "support/RecordingRefreshTokenStore.h"
#include "support/RunTask.h"
#include "support/ServiceStandIn.h"
#include "support/TimeLimits.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTimer>
#include <QUuid>

#include <qt6keychain/keychain.h>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/types.h>

using namespace veyra;
using namespace veyra::test;

namespace {

const QString account = QStringLiteral("server-refresh-token");

class KeychainRefreshTokenStoreTest : public ::testing::Test
{
protected:
    // What `secret-tool`, another client of the Secret Service, finds under the store's
    // service and account (qtkeychain's attributes for a text secret).
    std::optional<QByteArray> lookUpElsewhere() const
    {
        QProcess tool;
        tool.start(QStringLiteral("secret-tool"),
            {QStringLiteral("lookup"), QStringLiteral("user"), account, QStringLiteral("server"), m_service,
                QStringLiteral("type"), QStringLiteral("plaintext")});
        EXPECT_TRUE(tool.waitForFinished(veyra::test::scaledMs(30000)));
        if (tool.exitCode() != 0) {
            return std::nullopt;
        }
        return tool.readAllStandardOutput();
    }

    void storeElsewhere(const QByteArray &secret) const
    {
        QProcess tool;
        tool.start(QStringLiteral("secret-tool"),
            {QStringLiteral("store"), QStringLiteral("--label=Another process"), QStringLiteral("user"), account,
                QStringLiteral("server"), m_service, QStringLiteral("type"), QStringLiteral("plaintext")});
        tool.write(secret);
        tool.closeWriteChannel();
        ASSERT_TRUE(tool.waitForFinished(veyra::test::scaledMs(30000)));
        ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    }

    // The keychain failure the operation ended with, if any.
    template <typename T>
    static std::optional<AuthenticationClientError> failure(QCoro::Task<T> call, int timeoutMs = 60000)
    {
        try {
            runTask(std::move(call), timeoutMs);
        } catch (const AuthenticationClientError &error) {
            return error;
        }
        return std::nullopt;
    }

    // The Secret Service stopped as a hung process is (the label's one gnome-keyring), and
    // let go on again however the test ends.
    class HungSecretService
    {
    public:
        HungSecretService()
        {
            const QDBusReply<uint> pid
                = QDBusConnection::sessionBus().interface()->servicePid(QStringLiteral("org.freedesktop.secrets"));
            if (pid.isValid() && pid.value() > 0 && ::kill(static_cast<pid_t>(pid.value()), SIGSTOP) == 0) {
                m_pid = static_cast<pid_t>(pid.value());
            }
        }
        ~HungSecretService() { resume(); }
        HungSecretService(const HungSecretService &) = delete;
        HungSecretService &operator=(const HungSecretService &) = delete;

        bool isHung() const { return m_pid > 0; }
        void resume()
        {
            if (m_pid > 0) {
                ::kill(m_pid, SIGCONT);
                m_pid = 0;
            }
        }

    private:
        pid_t m_pid = 0;
    };

    // Runs `onEnd` inside the finished signal of the next keyring job this process starts
    // (jobs start on a queued call to themselves): before its caller can ask anything more.
    struct NextKeyringJobEnd : QObject
    {
        explicit NextKeyringJobEnd(std::function<void()> onEnd)
            : onEnd(std::move(onEnd))
        {
            qApp->installEventFilter(this);
        }
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (auto *job = qobject_cast<QKeychain::Job *>(watched); job && event->type() == QEvent::MetaCall) {
                qApp->removeEventFilter(this);
                connect(job, &QKeychain::Job::finished, this, [this] { this->onEnd(); });
            }
            return false;
        }
        std::function<void()> onEnd;
    };

    const QString m_service
        = QStringLiteral("io.veyra.test.%1.authentication").arg(QUuid::createUuid().toString(QUuid::WithoutBraces));
    KeychainRefreshTokenStore m_store{m_service, account};
};

} // namespace

TEST_F(KeychainRefreshTokenStoreTest, SaveLoadOverwriteDelete)
{
    EXPECT_EQ(runTask(m_store.load()), std::nullopt);
    runTask(m_store.deleteToken());

    runTask(m_store.save(QStringLiteral("renew-1")));
    EXPECT_EQ(runTask(m_store.load()), QStringLiteral("renew-1"));
    // The second save replaces the one secret; it holds the token's UTF-8 text and nothing else.
    const QString unicode = QStringLiteral("renew-2.토큰.ü");
    runTask(m_store.save(unicode));
    EXPECT_EQ(runTask(m_store.load()), unicode);
    EXPECT_EQ(lookUpElsewhere(), unicode.toUtf8());

    // Another store under the same names sees the same secret; another account does not.
    EXPECT_EQ(runTask(KeychainRefreshTokenStore(m_service, account).load()), unicode);
    EXPECT_EQ(runTask(KeychainRefreshTokenStore(m_service, QStringLiteral("other")).load()), std::nullopt);

    runTask(m_store.deleteToken());
    EXPECT_EQ(runTask(m_store.load()), std::nullopt);
    EXPECT_EQ(lookUpElsewhere(), std::nullopt);
    runTask(m_store.deleteToken());
}

TEST_F(KeychainRefreshTokenStoreTest, ReadsWhatAnotherProcessStored)
{
    storeElsewhere("stored-by-another-process");
    EXPECT_EQ(runTask(m_store.load()), QStringLiteral("stored-by-another-process"));
    runTask(m_store.deleteToken());
    EXPECT_EQ(lookUpElsewhere(), std::nullopt);
}

TEST_F(KeychainRefreshTokenStoreTest, EmptySecretIsUnreadableAndRestoreDeletesIt)
{
    runTask(m_store.save(QString()));
    try {
        runTask(m_store.load());
        FAIL() << "an empty secret was read as a token";
    } catch (const AuthenticationClientError &error) {
        EXPECT_EQ(error.kind(), AuthenticationClientError::Kind::invalidResponse);
    }

    // At launch it counts as no session and is deleted, so that signing in works again.
    ServiceStandIn standIn;
    auto store = std::make_shared<KeychainRefreshTokenStore>(m_service, account);
    ServerAuthenticationSession session(true,
        std::make_shared<HTTPAuthenticationClient>(ServerConfiguration(standIn.url())), store,
        std::make_shared<AuthenticationEventRouter>());
    EXPECT_EQ(runTask(session.restore()), AuthenticationRestoreResult::noSession);
    EXPECT_EQ(standIn.requestCount(), 0);
    EXPECT_EQ(runTask(m_store.load()), std::nullopt);
}

TEST_F(KeychainRefreshTokenStoreTest, LockedKeyringFailsAndKeepsTheToken)
{
    LockableKeyring keyring;
    ASSERT_TRUE(keyring.isValid()) << keyring.errorString().toStdString();
    runTask(m_store.save(QStringLiteral("renew-1")));
    ASSERT_TRUE(keyring.lock()) << keyring.errorString().toStdString();

    // The keyring asks the user to unlock it (nobody can answer here): every operation
    // then fails instead of finding nothing, and the secret stays untouched.
    const AuthenticationClientError locked = AuthenticationClientError::keychain(QKeychain::AccessDenied);
    EXPECT_EQ(failure(m_store.load()), locked);
    EXPECT_EQ(failure(m_store.save(QStringLiteral("renew-2"))), locked);
    EXPECT_EQ(failure(m_store.deleteToken()), locked);
    EXPECT_EQ(locked.localizedDescription(), QStringLiteral("The saved session couldn't be accessed."));

    // At launch: the server's session is unavailable for now, not signed out; nothing is
    // sent and nothing deleted.
    ServiceStandIn standIn;
    ServerAuthenticationSession session(true,
        std::make_shared<HTTPAuthenticationClient>(ServerConfiguration(standIn.url())),
        std::make_shared<KeychainRefreshTokenStore>(m_service, account), std::make_shared<AuthenticationEventRouter>());
    EXPECT_EQ(runTask(session.restore()), AuthenticationRestoreResult::keyringUnavailable);
    EXPECT_EQ(standIn.requestCount(), 0);

    ASSERT_TRUE(keyring.unlock()) << keyring.errorString().toStdString();
    EXPECT_EQ(runTask(m_store.load()), QStringLiteral("renew-1"));
    runTask(m_store.deleteToken());
    EXPECT_EQ(lookUpElsewhere(), std::nullopt);
}

TEST_F(KeychainRefreshTokenStoreTest, RenewalTheLockedKeyringCannotKeepIsRevokedAndNotRepeated)
{
    LockableKeyring keyring;
    ASSERT_TRUE(keyring.isValid()) << keyring.errorString().toStdString();

    // Every renewal opens a new session at the server.
    ServiceStandIn standIn;
    int issued = 0;
    standIn.setDefaultResponder("POST", refreshPath, [&issued](const RecordedRequest &) {
        ++issued;
        return ScriptedResponse::json(
            tokenPairAnswer(QStringLiteral("access-%1").arg(issued), QStringLiteral("renew-%1").arg(issued), 10));
    });
    standIn.setDefaultResponse("POST", logoutPath, ScriptedResponse::raw(204, {}));
    const QString resourcePath = QStringLiteral("/v1/resource");
    standIn.setDefaultResponse("GET", resourcePath, ScriptedResponse::raw(200, "ok", "text/plain"));
    HTTPRequest request;
    request.url = standIn.url(resourcePath);
    const auto renewals = [&] { return standIn.requests("POST", refreshPath); };
    const auto revocations = [&] { return standIn.requests("POST", logoutPath); };

    auto store
        = std::make_shared<CountingRefreshTokenStore>(std::make_shared<KeychainRefreshTokenStore>(m_service, account));
    auto router = std::make_shared<AuthenticationEventRouter>();
    std::vector<AuthenticationRuntimeEvent> events;
    router->setOnEvent([&events](AuthenticationRuntimeEvent event) { events.push_back(event); });
    ServerAuthenticationSession session(
        true, std::make_shared<HTTPAuthenticationClient>(ServerConfiguration(standIn.url())), store, router);

    // Signed in with an access token that is renewed before each request; then the
    // keyring is locked (the daemon restarted, or the screen was locked).
    runTask(session.apply(
        AuthTokenPair{QStringLiteral("access-0"), QStringLiteral("renew-0"), QStringLiteral("Bearer"), 10, 2592000}));
    ASSERT_TRUE(keyring.lock()) << keyring.errorString().toStdString();

    // Five requests: one renewal, whose new session is revoked as its token cannot be
    // saved; one report; the other requests neither renew nor ask the keyring.
    const AuthenticationClientError locked = AuthenticationClientError::keychain(QKeychain::AccessDenied);
    EXPECT_EQ(failure(session.data(request, {})), locked);
    for (int later = 0; later < 4; ++later) {
        EXPECT_EQ(
            failure(session.data(request, {})), AuthenticationClientError(AuthenticationClientError::Kind::noSession));
    }
    EXPECT_EQ(renewals().size(), 1);
    EXPECT_EQ(store->saves, 2);
    ASSERT_TRUE(waitUntil([&] { return revocations().size() == 1; }));
    EXPECT_EQ(revocations()[0].jsonBody().value(QStringLiteral("refresh_token")), QStringLiteral("renew-1"));
    EXPECT_EQ(events, std::vector<AuthenticationRuntimeEvent>{AuthenticationRuntimeEvent::keyringUnavailable});
    EXPECT_TRUE(standIn.requests("GET", resourcePath).isEmpty());

    // Retrying while the keyring stays locked renews nothing either.
    EXPECT_EQ(runTask(session.restore()), AuthenticationRestoreResult::keyringUnavailable);
    EXPECT_EQ(renewals().size(), 1);
    EXPECT_EQ(store->saves, 2);

    // Once the keyring answers, the stored token restores the session.
    ASSERT_TRUE(keyring.unlock()) << keyring.errorString().toStdString();
    EXPECT_EQ(runTask(session.restore()), AuthenticationRestoreResult::restored);
    ASSERT_EQ(renewals().size(), 2);
    EXPECT_EQ(renewals()[1].jsonBody().value(QStringLiteral("refresh_token")), QStringLiteral("renew-0"));
    EXPECT_EQ(runTask(m_store.load()), QStringLiteral("renew-2"));
    EXPECT_EQ(revocations().size(), 1);
    EXPECT_EQ(events.size(), 1u);
    runTask(m_store.deleteToken());
}

TEST_F(KeychainRefreshTokenStoreTest, AKeyringThatDoesNotAnswerIsAFailureNotAnEmptyOne)
{
    runTask(m_store.save(QStringLiteral("renew-1")));
    const AuthenticationClientError notAnswering
        = AuthenticationClientError::keychain(KeychainRefreshTokenStore::notAnsweringStatus);
    EXPECT_EQ(notAnswering.localizedDescription(), QStringLiteral("The saved session couldn't be accessed."));
    {
        HungSecretService hung;
        ASSERT_TRUE(hung.isHung());
        // Reading gives up within seconds (the keyring library itself would wait for the
        // bus's 25 s per call) and reports a failing keyring, not an empty one.
        EXPECT_EQ(failure(m_store.load(), 20000), notAnswering);

        // At launch the saved session is unavailable for now, not gone: the sign-in screen
        // offers a retry, and nothing is sent or deleted.
        ServiceStandIn standIn;
        ServerAuthenticationSession session(true,
            std::make_shared<HTTPAuthenticationClient>(ServerConfiguration(standIn.url())),
            std::make_shared<KeychainRefreshTokenStore>(m_service, account),
            std::make_shared<AuthenticationEventRouter>());
        EXPECT_EQ(runTask(session.restore(), 20000), AuthenticationRestoreResult::keyringUnavailable);
        EXPECT_EQ(standIn.requestCount(), 0);
    }
    // Answering again, the keyring still holds the token.
    EXPECT_EQ(runTask(m_store.load()), QStringLiteral("renew-1"));

    // Saving and deleting fail alike. (What the keyring makes of the requests when it
    // answers again is its own affair: they may still take effect then.)
    {
        HungSecretService hung;
        ASSERT_TRUE(hung.isHung());
        EXPECT_EQ(failure(m_store.save(QStringLiteral("renew-2")), 20000), notAnswering);
        EXPECT_EQ(failure(m_store.deleteToken(), 20000), notAnswering);
    }
    runTask(m_store.deleteToken());
}

TEST_F(KeychainRefreshTokenStoreTest, AKeyringThatStopsAnsweringAfterTheReadIsNotAnEmptyOne)
{
    // Nothing is stored. The keyring answers the read, then stops before the store asks it
    // whether a locked secret hides behind "not found", and goes on after `stoppedMs`.
    const auto loadStoppedAfterTheRead = [this](int stoppedMs) {
        std::optional<HungSecretService> hung;
        bool stopped = false;
        QTimer goOn;
        goOn.setSingleShot(true);
        QObject::connect(&goOn, &QTimer::timeout, [&hung] { hung->resume(); });
        NextKeyringJobEnd stop([&] {
            stopped = hung.emplace().isHung();
            goOn.start(stoppedMs);
        });
        const auto outcome = failure(m_store.load(), 30000);
        EXPECT_TRUE(stopped);
        return outcome;
    };
    // A moment's silence is waited for: the answer counts.
    EXPECT_EQ(loadStoppedAfterTheRead(1000), std::nullopt);
    // Silence past the store's patience (and well short of the bus's own) is a failing
    // keyring, never "no session".
    EXPECT_EQ(loadStoppedAfterTheRead(scaledMs(9000)),
        AuthenticationClientError::keychain(KeychainRefreshTokenStore::notAnsweringStatus));
}

TEST_F(KeychainRefreshTokenStoreTest, AWriteTheHungKeyringLeftUnansweredIsNotARefusal)
{
    ServiceStandIn standIn;
    standIn.setDefaultResponse("POST", refreshPath,
        ScriptedResponse::json(tokenPairAnswer(QStringLiteral("access-2"), QStringLiteral("renew-2"), 10)));
    standIn.setDefaultResponse("POST", loginPath,
        ScriptedResponse::json(tokenPairAnswer(QStringLiteral("access-1"), QStringLiteral("renew-1"), 10)));
    standIn.setDefaultResponse("POST", logoutPath, ScriptedResponse::raw(204, {}));
    auto router = std::make_shared<AuthenticationEventRouter>();
    std::vector<AuthenticationRuntimeEvent> events;
    router->setOnEvent([&events](AuthenticationRuntimeEvent event) { events.push_back(event); });
    auto store
        = std::make_shared<CountingRefreshTokenStore>(std::make_shared<KeychainRefreshTokenStore>(m_service, account));
    auto session = std::make_shared<ServerAuthenticationSession>(
        true, std::make_shared<HTTPAuthenticationClient>(ServerConfiguration(standIn.url())), store, router);
    AuthenticationCoordinator coordinator(session, std::make_shared<FixtureGoogleIDTokenProvider>(), nullptr);
    const AuthenticationClientError notAnswering
        = AuthenticationClientError::keychain(KeychainRefreshTokenStore::notAnsweringStatus);

    // During play the access token is renewed while the keyring hangs: play ends on the
    // keyring's account, and the new session is not revoked, as its save may still land.
    runTask(coordinator.signInWithGoogle(nullptr));
    HTTPRequest request;
    request.url = standIn.url(QStringLiteral("/v1/resource"));
    {
        HungSecretService hung;
        ASSERT_TRUE(hung.isHung());
        EXPECT_EQ(failure(session->data(request, {}), 20000), notAnswering);
    }
    EXPECT_EQ(events, std::vector<AuthenticationRuntimeEvent>{AuthenticationRuntimeEvent::keyringUnavailable});
    // Once the keyring answers it holds the new session's token, and "Try Again" signs in.
    ASSERT_TRUE(waitUntil([&] { return lookUpElsewhere() == "renew-2"; }, 20000, 100));
    EXPECT_EQ(runTask(session->restore()), AuthenticationRestoreResult::restored);
    EXPECT_EQ(standIn.requests("POST", refreshPath).last().jsonBody().value(QStringLiteral("refresh_token")),
        QStringLiteral("renew-2"));
    EXPECT_TRUE(standIn.requests("POST", logoutPath).isEmpty());

    // Signed out, then a sign-in cancelled while the keyring hangs: the keyring carries out
    // the save it was sent, and the token is deleted again once it has.
    coordinator.signOut();
    ASSERT_TRUE(waitUntil([&] { return store->deletes == 1 && !lookUpElsewhere(); }, 20000, 100));
    {
        HungSecretService hung;
        ASSERT_TRUE(hung.isHung());
        CancellationToken cancel;
        auto signIn = coordinator.signInWithGoogle(nullptr, cancel);
        ASSERT_TRUE(waitUntil([&] { return store->saves == 4; }));
        cancel.cancel();
        EXPECT_THROW(runTask(std::move(signIn), 20000), CancellationError);
    }
    ASSERT_TRUE(waitUntil([&] { return store->deletes == 2 && !lookUpElsewhere(); }, 20000, 100));
    ASSERT_TRUE(waitUntil([&] { return standIn.requests("POST", logoutPath).size() == 2; }));
}
