// Test label: unit
#include "account/coordinator/AuthenticationCoordinator.h"
#include "account/authentication/AuthenticationClientError.h"
#include "account/authentication/HTTPAuthenticationClient.h"
#include "account/configuration/GoogleSignInError.h"
#include "account/coordinator/AuthenticationStackFactory.h"
#include "account/coordinator/FixtureAuthenticationAPI.h"
#include "account/google/FixtureGoogleIDTokenProvider.h"
#include "account/google/QtNetworkAuthGoogleIDTokenProvider.h"
#include "account/google/UnavailableGoogleIDTokenProvider.h"
#include "account/tokens/InMemoryRefreshTokenStore.h"
#include "account/tokens/KeychainRefreshTokenStore.h"
#include "account/tokens/UnansweredKeychainError.h"
#include "account/web/FixtureWebPageOpener.h"
#include "support/AuthenticationServiceScript.h"
#include "support/FakeAuthenticationAPI.h"
#include "support/GoogleAuthorizationServer.h"
#include "support/LogCapture.h"
#include "support/RecordingRefreshTokenStore.h"
#include "support/RunTask.h"

#include <QPromise>

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;

namespace {

using Kind = AuthenticationClientError::Kind;

const QString clientID = QStringLiteral("1234-abc.apps.googleusercontent.com");
const QString reversedClientID = QStringLiteral("com.googleusercontent.apps.1234-abc");

InfoDictionary googleInfo(const QString &serverURL)
{
    return InfoDictionary{
        {QStringLiteral("CFBundleIdentifier"), QStringLiteral("io.example.veyra")},
        {QStringLiteral("TranslationServerBaseURL"), serverURL},
        {QStringLiteral("GoogleAuthenticationEnabled"), true},
        {QStringLiteral("GIDClientID"), clientID},
        {QStringLiteral("GIDClientSecret"), QStringLiteral("GOCSPX-secret")},
        {QStringLiteral("GIDServerClientID"), QStringLiteral("5678-def.apps.googleusercontent.com")},
        {QStringLiteral("GoogleReversedClientID"), reversedClientID},
        {QStringLiteral("CFBundleURLTypes"),
            QVariantList{QVariantMap{{QStringLiteral("CFBundleURLSchemes"), QVariantList{reversedClientID}}}}},
    };
}

// A provider that answers as the test says and counts its sign-outs.
class ScriptedGoogleProvider : public GoogleIDTokenProviding
{
public:
    QCoro::Task<QString> idToken(QPointer<QWidget> presentingWindow, CancellationToken token) override
    {
        Q_UNUSED(token);
        windows.append(presentingWindow);
        if (failure) {
            std::rethrow_exception(failure);
        }
        co_return QStringLiteral("google-id-token");
    }
    void signOut() override { ++signOuts; }

    std::exception_ptr failure;
    QList<QPointer<QWidget>> windows;
    int signOuts = 0;
};

template <typename Error>
std::optional<Error> failure(QCoro::Task<void> call)
{
    try {
        runTask(std::move(call));
    } catch (const Error &error) {
        return error;
    }
    return std::nullopt;
}

} // namespace

TEST(AuthenticationStackTest, UITestingMode)
{
    const AuthenticationStack signedIn = makeAuthenticationStack({}, true, false);
    EXPECT_TRUE(signedIn.session->isConfigured());
    EXPECT_TRUE(std::dynamic_pointer_cast<FixtureGoogleIDTokenProvider>(signedIn.googleProvider));
    EXPECT_EQ(signedIn.session->eventRouter(), signedIn.eventRouter);
    EXPECT_TRUE(std::dynamic_pointer_cast<InMemoryRefreshTokenStore>(signedIn.session->store()));
    EXPECT_EQ(runTask(signedIn.session->restore()), AuthenticationRestoreResult::restored);
    EXPECT_EQ(signedIn.session->tokenPair(), FixtureAuthenticationAPI::fixtureTokenPair());

    AuthenticationCoordinator coordinator(
        signedIn.session, signedIn.googleProvider, std::make_shared<FixtureWebPageOpener>());
    runTask(coordinator.signInWithGoogle(nullptr));
    EXPECT_EQ(signedIn.session->tokenPair()->accessToken, QStringLiteral("mock-pass-value-aaaa"));

    // With the web-registration switch: no saved session, and every sign-in is refused.
    const AuthenticationStack unregistered = makeAuthenticationStack({}, true, true);
    EXPECT_EQ(runTask(unregistered.session->restore()), AuthenticationRestoreResult::noSession);
    AuthenticationCoordinator refused(unregistered.session, unregistered.googleProvider, nullptr);
    const auto error = failure<AuthenticationClientError>(refused.signInWithGoogle(nullptr));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), Kind::webRegistrationRequired);
    EXPECT_EQ(
        error->localizedDescription(), QStringLiteral("Web registration is required before signing in to the app."));
    EXPECT_FALSE(unregistered.session->tokenPair());
}

TEST(AuthenticationStackTest, LiveMode)
{
    // Fully configured.
    const AuthenticationStack configured
        = makeAuthenticationStack(googleInfo(QStringLiteral("https://api.example.com/")), false, false);
    EXPECT_TRUE(configured.session->isConfigured());
    EXPECT_TRUE(std::dynamic_pointer_cast<HTTPAuthenticationClient>(configured.session->api()));
    const auto provider = std::dynamic_pointer_cast<QtNetworkAuthGoogleIDTokenProvider>(configured.googleProvider);
    ASSERT_TRUE(provider);
    EXPECT_EQ(provider->client().clientID, clientID);
    EXPECT_EQ(provider->client().clientSecret, QStringLiteral("GOCSPX-secret"));
    EXPECT_EQ(
        provider->endpoints().authorizationURL, QUrl(QStringLiteral("https://accounts.google.com/o/oauth2/v2/auth")));
    EXPECT_EQ(provider->endpoints().tokenURL, QUrl(QStringLiteral("https://oauth2.googleapis.com/token")));

    // The Google endpoints come from the dictionary when they obey the URL rule: the
    // product tests' loopback server; a plain-http one elsewhere is refused for Google's.
    InfoDictionary loopback = googleInfo(QStringLiteral("https://api.example.com/"));
    loopback.insert(QStringLiteral("GoogleAuthorizationURL"), QStringLiteral(" http://127.0.0.1:4711/o/auth "));
    loopback.insert(QStringLiteral("GoogleTokenURL"), QStringLiteral("http://oauth.example.com/token"));
    LogCapture log;
    const auto redirected = std::dynamic_pointer_cast<QtNetworkAuthGoogleIDTokenProvider>(
        makeAuthenticationStack(loopback, false, false).googleProvider);
    ASSERT_TRUE(redirected);
    EXPECT_EQ(redirected->endpoints().authorizationURL, QUrl(QStringLiteral("http://127.0.0.1:4711/o/auth")));
    EXPECT_EQ(redirected->endpoints().tokenURL, QUrl(QStringLiteral("https://oauth2.googleapis.com/token")));
    EXPECT_EQ(log.messages(QStringLiteral("GoogleSignIn")),
        QStringList{QStringLiteral("\"GoogleTokenURL\" is not an allowed URL; Google's own endpoint is used")});
    const auto store = std::dynamic_pointer_cast<KeychainRefreshTokenStore>(configured.session->store());
    ASSERT_TRUE(store);
    EXPECT_EQ(store->service(), QStringLiteral("io.example.veyra.authentication"));
    EXPECT_EQ(store->account(), QStringLiteral("server-refresh-token"));

    // Without the Google keys: not configured, the unavailable provider, still the keyring.
    const AuthenticationStack noGoogle = makeAuthenticationStack(
        InfoDictionary{{QStringLiteral("TranslationServerBaseURL"), QStringLiteral("https://api.example.com/")}}, false,
        false);
    EXPECT_FALSE(noGoogle.session->isConfigured());
    EXPECT_TRUE(std::dynamic_pointer_cast<UnavailableGoogleIDTokenProvider>(noGoogle.googleProvider));
    const auto defaultStore = std::dynamic_pointer_cast<KeychainRefreshTokenStore>(noGoogle.session->store());
    ASSERT_TRUE(defaultStore);
    EXPECT_EQ(defaultStore->service(), releaseBundleIdentifier() + QStringLiteral(".authentication"));
    EXPECT_EQ(runTask(noGoogle.session->restore()), AuthenticationRestoreResult::notConfigured);

    // Without a server URL: the fixture API without web registration, not configured.
    InfoDictionary noServer = googleInfo(QStringLiteral("https://api.example.com/"));
    noServer.remove(QStringLiteral("TranslationServerBaseURL"));
    const AuthenticationStack serverless = makeAuthenticationStack(noServer, false, false);
    const auto api = std::dynamic_pointer_cast<FixtureAuthenticationAPI>(serverless.session->api());
    ASSERT_TRUE(api);
    EXPECT_FALSE(api->requiresWebRegistration());
    EXPECT_FALSE(serverless.session->isConfigured());
    EXPECT_TRUE(std::dynamic_pointer_cast<UnavailableGoogleIDTokenProvider>(serverless.googleProvider));
}

TEST(AuthenticationCoordinatorTest, SignInExchangesTheGoogleTokenAtTheServer)
{
    ServiceStandIn standIn;
    auto store = std::make_shared<RecordingRefreshTokenStore>();
    auto session = std::make_shared<ServerAuthenticationSession>(true,
        std::make_shared<HTTPAuthenticationClient>(ServerConfiguration(standIn.url())), store,
        std::make_shared<AuthenticationEventRouter>());
    auto provider = std::make_shared<ScriptedGoogleProvider>();
    AuthenticationCoordinator coordinator(session, provider, std::make_shared<FixtureWebPageOpener>());
    QWidget window;

    standIn.enqueueResponse("POST", loginPath,
        ScriptedResponse::json(tokenPairAnswer(QStringLiteral("access-1"), QStringLiteral("renew-1"))));
    runTask(coordinator.signInWithGoogle(&window));
    ASSERT_EQ(provider->windows.size(), 1);
    EXPECT_EQ(provider->windows[0], &window);
    EXPECT_EQ(standIn.requests("POST", loginPath)[0].jsonBody().value(QStringLiteral("id_token")),
        QStringLiteral("google-id-token"));
    EXPECT_EQ(session->tokenPair()->accessToken, QStringLiteral("access-1"));
    EXPECT_EQ(store->token, QStringLiteral("renew-1"));

    // The server's refusal passes through unchanged and leaves the session as it was.
    standIn.enqueueResponse(
        "POST", loginPath, ScriptedResponse::json(errorEnvelope(QStringLiteral("web_registration_required")), 403));
    EXPECT_EQ(failure<AuthenticationClientError>(coordinator.signInWithGoogle(&window)),
        AuthenticationClientError(Kind::webRegistrationRequired));
    EXPECT_EQ(store->token, QStringLiteral("renew-1"));

    // A cancelled Google flow never reaches the server.
    provider->failure = std::make_exception_ptr(GoogleSignInError(GoogleSignInError::Kind::cancelled));
    EXPECT_EQ(failure<GoogleSignInError>(coordinator.signInWithGoogle(&window)),
        GoogleSignInError(GoogleSignInError::Kind::cancelled));
    EXPECT_EQ(standIn.requests("POST", loginPath).size(), 2);

    // Signing out: the provider at once, the session in the background.
    standIn.setDefaultResponse("POST", logoutPath, ScriptedResponse::raw(204, {}));
    coordinator.signOut();
    EXPECT_EQ(provider->signOuts, 1);
    ASSERT_TRUE(waitUntil([&] { return standIn.requests("POST", logoutPath).size() == 1; }));
    EXPECT_FALSE(session->tokenPair());
    EXPECT_FALSE(store->token);
    EXPECT_EQ(standIn.requests("POST", logoutPath)[0].jsonBody().value(QStringLiteral("refresh_token")),
        QStringLiteral("renew-1"));
}

TEST(AuthenticationCoordinatorTest, MissingPartsAndEvents)
{
    auto provider = std::make_shared<ScriptedGoogleProvider>();
    AuthenticationCoordinator withoutSession(nullptr, provider, std::make_shared<FixtureWebPageOpener>());
    EXPECT_EQ(failure<AuthenticationClientError>(withoutSession.signInWithGoogle(nullptr)),
        AuthenticationClientError(Kind::invalidConfiguration));
    EXPECT_TRUE(provider->windows.isEmpty());
    withoutSession.signOut();
    EXPECT_EQ(provider->signOuts, 1);

    const AuthenticationStack stack = makeAuthenticationStack({}, true, false);
    AuthenticationCoordinator withoutProvider(stack.session, nullptr, nullptr);
    EXPECT_EQ(failure<AuthenticationClientError>(withoutProvider.signInWithGoogle(nullptr)),
        AuthenticationClientError(Kind::invalidConfiguration));

    // The router reaches the coordinator's handler while both exist; it holds the
    // coordinator weakly.
    AuthenticationEventRouter router;
    QList<AuthenticationRuntimeEvent> received;
    auto coordinator = std::make_unique<AuthenticationCoordinator>(stack.session, nullptr, nullptr);
    forwardRuntimeEvents(router, coordinator.get());
    router.deliver(AuthenticationRuntimeEvent::unavailable);
    coordinator->setOnRuntimeEvent([&received](AuthenticationRuntimeEvent event) { received.append(event); });
    router.deliver(AuthenticationRuntimeEvent::sessionInvalid);
    coordinator.reset();
    router.deliver(AuthenticationRuntimeEvent::unavailable);
    EXPECT_EQ(received, (QList<AuthenticationRuntimeEvent>{AuthenticationRuntimeEvent::sessionInvalid}));
}

TEST(AuthenticationCoordinatorTest, SignInThroughTheBrowserEndToEnd)
{
    GoogleAuthorizationServer google(clientID, QStringLiteral("GOCSPX-secret"));
    FakeBrowser browser;
    ServiceStandIn service;
    auto session = std::make_shared<ServerAuthenticationSession>(true,
        std::make_shared<HTTPAuthenticationClient>(ServerConfiguration(service.url())),
        std::make_shared<RecordingRefreshTokenStore>(), std::make_shared<AuthenticationEventRouter>());
    auto provider
        = std::make_shared<QtNetworkAuthGoogleIDTokenProvider>(google.client(), browser.opener(), google.endpoints());
    AuthenticationCoordinator coordinator(session, provider, std::make_shared<FixtureWebPageOpener>());
    google.setIDToken(QStringLiteral("header.google-claims.signature"));
    service.enqueueResponse("POST", loginPath,
        ScriptedResponse::json(tokenPairAnswer(QStringLiteral("access-1"), QStringLiteral("renew-1"))));

    runTask(coordinator.signInWithGoogle(nullptr));
    EXPECT_EQ(service.requests("POST", loginPath)[0].jsonBody().value(QStringLiteral("id_token")),
        QStringLiteral("header.google-claims.signature"));
    EXPECT_EQ(session->tokenPair()->refreshToken, QStringLiteral("renew-1"));
}

TEST(AuthenticationCoordinatorTest, SignOutWhileTheNewTokenIsSavedWinsAndTheSessionIsRevoked)
{
    ServiceStandIn standIn;
    standIn.setDefaultResponse("POST", logoutPath, ScriptedResponse::raw(204, {}));
    auto store = std::make_shared<RecordingRefreshTokenStore>();
    auto session = std::make_shared<ServerAuthenticationSession>(true,
        std::make_shared<HTTPAuthenticationClient>(ServerConfiguration(standIn.url())), store,
        std::make_shared<AuthenticationEventRouter>());
    AuthenticationCoordinator coordinator(
        session, std::make_shared<ScriptedGoogleProvider>(), std::make_shared<FixtureWebPageOpener>());
    standIn.enqueueResponse("POST", loginPath,
        ScriptedResponse::json(tokenPairAnswer(QStringLiteral("access-1"), QStringLiteral("renew-1"))));

    // The keyring takes its time with the new refresh token; the player signs out meanwhile.
    store->scripted.holdNext();
    auto signIn = coordinator.signInWithGoogle(nullptr);
    ASSERT_TRUE(waitUntil([&] { return store->scripted.gate().waitingCount() == 1; }));
    coordinator.signOut();
    ASSERT_TRUE(waitUntil([&] { return store->deletes == 1; }));
    store->scripted.gate().releaseAll();

    // The sign-out stands: nobody is signed in, nothing is kept, and the session the
    // server opened for the sign-in is closed there.
    EXPECT_EQ(failure<AuthenticationClientError>(std::move(signIn)), AuthenticationClientError(Kind::noSession));
    EXPECT_FALSE(session->tokenPair());
    EXPECT_FALSE(store->token);
    ASSERT_TRUE(waitUntil([&] { return standIn.requests("POST", logoutPath).size() == 1; }));
    EXPECT_EQ(standIn.requests("POST", logoutPath)[0].jsonBody().value(QStringLiteral("refresh_token")),
        QStringLiteral("renew-1"));
}

TEST(AuthenticationCoordinatorTest, ACancelledSignInKeepsNothingWhateverStageItReached)
{
    ServiceStandIn standIn;
    standIn.setDefaultResponse("POST", logoutPath, ScriptedResponse::raw(204, {}));
    auto store = std::make_shared<RecordingRefreshTokenStore>();
    const auto makeSession = [&] {
        return std::make_shared<ServerAuthenticationSession>(true,
            std::make_shared<HTTPAuthenticationClient>(ServerConfiguration(standIn.url())), store,
            std::make_shared<AuthenticationEventRouter>());
    };
    auto session = makeSession();
    AuthenticationCoordinator coordinator(
        session, std::make_shared<ScriptedGoogleProvider>(), std::make_shared<FixtureWebPageOpener>());
    const auto revoked = [&](const QString &refreshToken) {
        return waitUntil([&] {
            const auto logouts = standIn.requests("POST", logoutPath);
            return std::any_of(logouts.begin(), logouts.end(), [&](const RecordedRequest &request) {
                return request.jsonBody().value(QStringLiteral("refresh_token")) == refreshToken;
            });
        });
    };

    // Cancelled while the server is opening the session: its answer is awaited, the
    // session it names is closed, and nothing is saved.
    standIn.enqueueResponse("POST", loginPath,
        ScriptedResponse::json(tokenPairAnswer(QStringLiteral("access-1"), QStringLiteral("renew-1")))
            .heldUntilReleased());
    CancellationToken first;
    auto exchanging = coordinator.signInWithGoogle(nullptr, first);
    ASSERT_TRUE(waitUntil([&] { return standIn.pendingResponseCount() == 1; }));
    first.cancel();
    standIn.releaseHeldResponses();
    EXPECT_THROW(runTask(std::move(exchanging)), CancellationError);
    EXPECT_TRUE(revoked(QStringLiteral("renew-1")));
    EXPECT_EQ(store->saves, 0);
    EXPECT_FALSE(session->tokenPair());

    // Cancelled while the keyring takes its time with the new token (an unlock prompt that
    // waits for the player): once saved, it is deleted again, never held, and revoked.
    standIn.enqueueResponse("POST", loginPath,
        ScriptedResponse::json(tokenPairAnswer(QStringLiteral("access-2"), QStringLiteral("renew-2"))));
    store->scripted.holdNext();
    CancellationToken second;
    auto saving = coordinator.signInWithGoogle(nullptr, second);
    ASSERT_TRUE(waitUntil([&] { return store->scripted.gate().waitingCount() == 1; }));
    second.cancel();
    store->scripted.gate().releaseAll();
    EXPECT_THROW(runTask(std::move(saving)), CancellationError);
    EXPECT_FALSE(session->tokenPair());
    EXPECT_FALSE(store->token);
    EXPECT_TRUE(revoked(QStringLiteral("renew-2")));

    // The next start finds no session.
    EXPECT_EQ(runTask(makeSession()->restore()), AuthenticationRestoreResult::noSession);

    // Given up while saving, with a newer sign-in saving meanwhile: the keyring may finish
    // the older request last; whatever it does, the newer one's token stays.
    standIn.enqueueResponse("POST", loginPath,
        ScriptedResponse::json(tokenPairAnswer(QStringLiteral("access-3"), QStringLiteral("renew-3"))));
    standIn.enqueueResponse("POST", loginPath,
        ScriptedResponse::json(tokenPairAnswer(QStringLiteral("access-4"), QStringLiteral("renew-4"))));
    store->scripted.holdNext(3);
    CancellationToken third;
    auto abandoned = coordinator.signInWithGoogle(nullptr, third);
    ASSERT_TRUE(waitUntil([&] { return store->scripted.gate().waitingCount() == 1; }));
    third.cancel();
    auto newer = coordinator.signInWithGoogle(nullptr);
    ASSERT_TRUE(waitUntil([&] { return store->scripted.gate().waitingCount() == 2; }));
    const int deletesBefore = store->deletes;
    store->scripted.gate().releaseOne();
    ASSERT_TRUE(waitUntil([&] { return abandoned.isReady() || store->deletes > deletesBefore; }));
    store->scripted.gate().releaseOne();
    runTask(std::move(newer));
    store->scripted.gate().releaseAll();
    EXPECT_THROW(runTask(std::move(abandoned)), CancellationError);
    EXPECT_EQ(session->tokenPair()->refreshToken, QStringLiteral("renew-4"));
    EXPECT_EQ(store->token, QStringLiteral("renew-4"));
    EXPECT_TRUE(revoked(QStringLiteral("renew-3")));

    // Nobody signed in; a sign-in given up while saving, and a newer one whose save is
    // refused after the older one's landed: the token that landed is deleted again.
    auto signedOut = makeSession();
    AuthenticationCoordinator again(signedOut, std::make_shared<ScriptedGoogleProvider>(), nullptr);
    standIn.enqueueResponse("POST", loginPath,
        ScriptedResponse::json(tokenPairAnswer(QStringLiteral("access-5"), QStringLiteral("renew-5"))));
    standIn.enqueueResponse("POST", loginPath,
        ScriptedResponse::json(tokenPairAnswer(QStringLiteral("access-6"), QStringLiteral("renew-6"))));
    store->token.reset();
    store->scripted.holdNext(2);
    CancellationToken fourth;
    auto cancelled = again.signInWithGoogle(nullptr, fourth);
    ASSERT_TRUE(waitUntil([&] { return store->scripted.gate().waitingCount() == 1; }));
    fourth.cancel();
    store->scripted.failNext(std::make_exception_ptr(AuthenticationClientError::keychain(4)));
    auto refused = again.signInWithGoogle(nullptr);
    ASSERT_TRUE(waitUntil([&] { return store->scripted.gate().waitingCount() == 2; }));
    store->scripted.gate().releaseOne();
    EXPECT_THROW(runTask(std::move(cancelled)), CancellationError);
    EXPECT_EQ(store->token, QStringLiteral("renew-5"));
    store->scripted.gate().releaseOne();
    EXPECT_EQ(failure<AuthenticationClientError>(std::move(refused)), AuthenticationClientError::keychain(4));
    EXPECT_FALSE(store->token);

    // A save the keyring leaves unanswered is no refusal: the pair is not revoked, and the
    // keyring keeps it when the save lands late.
    auto api = std::make_shared<FakeAuthenticationAPI>();
    AuthenticationCoordinator unanswered(
        std::make_shared<ServerAuthenticationSession>(true, api, store, std::make_shared<AuthenticationEventRouter>()),
        std::make_shared<ScriptedGoogleProvider>(), nullptr);
    QPromise<bool> landing;
    landing.start();
    store->scripted.failNext(std::make_exception_ptr(UnansweredKeychainError(7, landing.future())));
    auto hanging = unanswered.signInWithGoogle(nullptr);
    api->logins.at(0)->succeed(AuthTokenPair{QStringLiteral("access-7"), QStringLiteral("renew-7"), {}, 3600, 60});
    EXPECT_THROW(runTask(std::move(hanging)), UnansweredKeychainError);
    store->token = QStringLiteral("renew-7");
    landing.addResult(true);
    landing.finish();
    QCoreApplication::processEvents();
    EXPECT_EQ(store->token, QStringLiteral("renew-7"));
    EXPECT_TRUE(api->logouts.empty());
}
