// Test label: unit
// A session without any Secret Service: this program's D-Bus session address leads
// nowhere (set before main(), so no part of the process ever reaches a real bus).
#include "account/authentication/AuthenticationClientError.h"
#include "account/authentication/HTTPAuthenticationClient.h"
#include "account/coordinator/AuthenticationCoordinator.h"
#include "account/google/FixtureGoogleIDTokenProvider.h"
#include "account/tokens/InMemoryRefreshTokenStore.h"
#include "account/tokens/KeychainRefreshTokenStore.h"
#include "account/web/FixtureWebPageOpener.h"
#include "support/AuthenticationServiceScript.h"
#include "support/RunTask.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace veyra;
using namespace veyra::test;

namespace {

const bool noSessionBus = [] {
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/veyra-test-no-bus", 1);
    return true;
}();

} // namespace

TEST(RefreshTokenStoreWithoutKeyringTest, NothingToReadAndSavingFails)
{
    ASSERT_TRUE(noSessionBus);
    KeychainRefreshTokenStore store(
        QStringLiteral("io.veyra.test.authentication"), QStringLiteral("server-refresh-token"));
    EXPECT_EQ(runTask(store.load()), std::nullopt);
    runTask(store.deleteToken());
    try {
        runTask(store.save(QStringLiteral("renew-1")));
        FAIL() << "saving succeeded without a keyring";
    } catch (const AuthenticationClientError &error) {
        EXPECT_EQ(error.kind(), AuthenticationClientError::Kind::keychain);
        EXPECT_NE(error.status(), 0);
        EXPECT_EQ(error.localizedDescription(), QStringLiteral("The saved session couldn't be accessed."));
    }
    // And the token went nowhere else: no file appeared in the program's private folders.
    for (const auto location : {QStandardPaths::GenericConfigLocation, QStandardPaths::GenericDataLocation,
             QStandardPaths::GenericCacheLocation}) {
        const QString folder = QStandardPaths::writableLocation(location);
        EXPECT_TRUE(QDir(folder).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
            << folder.toStdString();
    }
}

TEST(RefreshTokenStoreWithoutKeyringTest, SignInFailsAndTheServersSessionIsRevoked)
{
    ServiceStandIn standIn;
    standIn.enqueueResponse("POST", loginPath,
        ScriptedResponse::json(tokenPairAnswer(QStringLiteral("access-1"), QStringLiteral("renew-1"))));
    standIn.setDefaultResponse("POST", logoutPath, ScriptedResponse::raw(204, {}));
    auto session = std::make_shared<ServerAuthenticationSession>(true,
        std::make_shared<HTTPAuthenticationClient>(ServerConfiguration(standIn.url())),
        std::make_shared<KeychainRefreshTokenStore>(
            QStringLiteral("io.veyra.test.authentication"), QStringLiteral("server-refresh-token")),
        std::make_shared<AuthenticationEventRouter>());
    AuthenticationCoordinator coordinator(
        session, std::make_shared<FixtureGoogleIDTokenProvider>(), std::make_shared<FixtureWebPageOpener>());

    // The server signs the player in, but the session cannot be kept: signing in fails
    // with the keyring's message, and the server's session is closed, not left open.
    try {
        runTask(coordinator.signInWithGoogle(nullptr));
        FAIL() << "signed in without a keyring";
    } catch (const AuthenticationClientError &error) {
        EXPECT_EQ(error.kind(), AuthenticationClientError::Kind::keychain);
        EXPECT_EQ(error.localizedDescription(), QStringLiteral("The saved session couldn't be accessed."));
    }
    EXPECT_FALSE(session->tokenPair());
    ASSERT_TRUE(waitUntil([&] { return standIn.requests("POST", logoutPath).size() == 1; }));
    EXPECT_EQ(standIn.requests("POST", logoutPath)[0].jsonBody().value(QStringLiteral("refresh_token")),
        QStringLiteral("renew-1"));
}

TEST(RefreshTokenStoreWithoutKeyringTest, InMemoryStore)
{
    InMemoryRefreshTokenStore empty;
    EXPECT_EQ(runTask(empty.load()), std::nullopt);
    runTask(empty.save(QString()));
    EXPECT_EQ(runTask(empty.load()), QString());
    runTask(empty.save(QStringLiteral("renew")));
    EXPECT_EQ(runTask(empty.load()), QStringLiteral("renew"));
    EXPECT_EQ(runTask(empty.load()), QStringLiteral("renew"));
    runTask(empty.deleteToken());
    EXPECT_EQ(runTask(empty.load()), std::nullopt);
    EXPECT_EQ(runTask(InMemoryRefreshTokenStore(QStringLiteral("fixture")).load()), QStringLiteral("fixture"));
}
