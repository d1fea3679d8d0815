// Test label: ui
// The application session over real coordinators, a real overlay controller, the
// capture-area file in a folder of its own and the real authorised session talking to the
// service stand-in: the way from launch to play, the events that end play, terminate, one
// dialogue line from the capture loop to a translated overlay row, and what the overlay
// shows of a report's outcome and of the capture areas of the window chosen.
#include "app/session/AppSession.h"
#include "account/authentication/AuthenticationClientError.h"
#include "account/authentication/HTTPAuthenticationClient.h"
#include "account/configuration/GoogleSignInError.h"
#include "account/profile/AccessClientError.h"
#include "account/profile/FixtureAccessAPI.h"
#include "account/session/AuthenticationEventRouter.h"
#include "account/session/ServerAuthenticationSession.h"
#include "account/tokens/InMemoryRefreshTokenStore.h"
#include "app/root/AuthenticationScreenBinding.h"
#include "capture/areas/FileCaptureAreaStore.h"
#include "capture/fixtures/FixtureScreenRecordingPermission.h"
#include "notes/model/GameMemoLibraryModel.h"
#include "notes/store/InMemoryGameMemoStore.h"
#include "overlay/layout/InMemoryOverlayLayoutStore.h"
#include "overlay/panels/OverlayPanel.h"
#include "overlay/panels/OverlayPanelController.h"
#include "overlay/settings/InMemoryOverlaySettingsStore.h"
#include "overlay/settings/OverlaySettingsModel.h"
#include "overlay/strip/OverlayActionView.h"
#include "overlay/strip/OverlayControlView.h"
#include "support/AuthenticationServiceScript.h"
#include "support/ExampleGameTarget.h"
#include "support/FakeCapturePipeline.h"
#include "support/FakeTranslationErrorReporter.h"
#include "support/ManualCall.h"
#include "support/RunTask.h"
#include "support/ServiceStandIn.h"
#include "support/ShellSessionRig.h"
#include "support/TranslationServiceScript.h"
#include "support/WidgetLookup.h"
#include "translation/http/ServerConfiguration.h"
#include "translation/reports/TranslationReportCoordinator.h"
#include "translation/session/GameplaySessionCoordinator.h"
#include "translation/titles/FixtureGameTitleResolver.h"
#include "translation/titles/GameTitleResolution.h"
#include "translation/titles/InMemoryGameTitleStore.h"
#include "translation/translations/HTTPTranslationClient.h"
#include "translation/translations/InMemoryTranslationSettingsStore.h"
#include "translation/translations/TranslationCoordinator.h"
#include "translation/translations/TranslationSettingsModel.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

using namespace veyra;
using namespace veyra::test;

namespace {

// Answers at once with `error` or a token; while `waitsForTheTest` is set, each request
// instead waits until the test ends it.
class CountingGoogleProvider : public GoogleIDTokenProviding
{
public:
    QCoro::Task<QString> idToken(QPointer<QWidget>, CancellationToken token) override
    {
        ++requests;
        if (waitsForTheTest) {
            auto call = std::make_shared<ManualCall<QString>>(token);
            pending.push_back(call);
            auto finished = call->untilFinished();
            co_await finished;
            co_return call->outcome();
        }
        if (error) {
            std::rethrow_exception(error);
        }
        co_return QStringLiteral("google-id-token");
    }
    void signOut() override { ++signOuts; }

    std::exception_ptr error;
    bool waitsForTheTest = false;
    std::vector<std::shared_ptr<ManualCall<QString>>> pending;
    int requests = 0;
    int signOuts = 0;
};

// The account server's profile answers, each waiting until the test gives it.
class ManualAccessAPI : public AccessAPIProviding
{
public:
    using Call = ManualCall<CurrentUser>;

    QCoro::Task<CurrentUser> fetchCurrentUser(CancellationToken token) override
    {
        auto call = std::make_shared<Call>(token);
        calls.push_back(call);
        auto finished = call->untilFinished();
        co_await finished;
        co_return call->outcome();
    }

    std::vector<std::shared_ptr<Call>> calls;
};

CurrentUser user(const QString &email)
{
    return CurrentUser{QUuid::createUuid(), email, std::nullopt, std::nullopt};
}

class RecordingRestartPresenter : public PermissionRestartPresenting
{
public:
    QCoro::Task<void> presentRestartPrompt() override
    {
        ++prompts;
        co_return;
    }
    int prompts = 0;
};

// One session with everything it drives. The refresh token decides whether a saved
// session exists; the stand-in answers the authentication and translation endpoints.
struct SessionRig
{
    explicit SessionRig(std::optional<QString> savedToken = QStringLiteral("saved-refresh"), bool permission = true,
        bool requestGranted = false, bool configured = true)
        : SessionRig(std::move(savedToken),
            std::make_shared<FixtureScreenRecordingPermission>(permission, requestGranted),
            std::make_shared<FixtureAccessAPI>(), configured)
    { }
    SessionRig(std::optional<QString> savedToken, std::shared_ptr<ScreenRecordingPermissionProviding> permission,
        std::shared_ptr<AccessAPIProviding> access, bool configured = true)
        : permissionProvider(std::move(permission))
        , accessAPI(std::move(access))
    {
        standIn.setDefaultResponse("POST", refreshPath,
            ScriptedResponse::json(tokenPairAnswer(QStringLiteral("access-1"), QStringLiteral("refresh-2"))));
        standIn.setDefaultResponse("POST", loginPath,
            ScriptedResponse::json(tokenPairAnswer(QStringLiteral("access-1"), QStringLiteral("refresh-2"))));
        standIn.setDefaultResponse("POST", logoutPath, ScriptedResponse::raw(204, {}));
        standIn.setDefaultResponder("POST", translationsPath, translatingResponder());

        const ServerConfiguration server(standIn.url());
        auto router = std::make_shared<AuthenticationEventRouter>();
        tokens = std::make_shared<InMemoryRefreshTokenStore>(savedToken);
        serverSession = std::make_shared<ServerAuthenticationSession>(
            configured, std::make_shared<HTTPAuthenticationClient>(server), tokens, router);

        captureAreaStore = std::make_shared<FileCaptureAreaStore>(QUrl::fromLocalFile(captureAreaFile()));
        translationSettings = std::make_shared<TranslationSettingsModel>(
            std::make_unique<InMemoryTranslationSettingsStore>(QStringLiteral("ko")), QStringList{});
        auto translator = std::make_shared<HTTPTranslationClient>(server, nullptr, serverSession);
        translations = std::make_shared<TranslationCoordinator>(translator);
        gameplay = std::make_shared<GameplaySessionCoordinator>(
            captureAreaStore, pipeline, translations, translationSettings, titleStore, titles);
        pipeline->setOnEvent(forwardCaptureEventToGameplaySession(gameplay.get()));
        translations->setOnEvent(forwardTranslationEventToGameplaySession(gameplay.get()));
        reports = std::make_shared<TranslationReportCoordinator>(reporter);

        overlay = std::make_shared<OverlayPanelController>(
            overlaySettings, std::make_shared<InMemoryOverlayLayoutStore>(), notes);

        AppSession::Services services;
        services.serverSession = serverSession;
        services.googleProvider = google;
        services.webPageOpener = pages;
        services.eventRouter = router;
        services.gameplaySessionCoordinator = gameplay;
        services.translationReportCoordinator = reports;
        services.accessCoordinator = std::make_shared<AccessCoordinator>(accessAPI);
        services.overlayController = overlay;
        services.permissionProvider = permissionProvider;
        services.restartPresenter = restartPresenter;
        session = std::make_unique<AppSession>(UITestingLaunchOptions{}, services);
        session->setTerminationHandler([this] { ++terminations; });
        session->mainWindowRouter().setOpenAction([this] { ++mainWindowOpens; });
    }

    // The session's tasks still waiting for the test find it gone and end.
    ~SessionRig()
    {
        session.reset();
        const auto cancelled = std::make_exception_ptr(CancellationError());
        failPendingCalls(google->pending, cancelled);
        if (const auto manual = std::dynamic_pointer_cast<ManualAccessAPI>(accessAPI)) {
            failPendingCalls(manual->calls, cancelled);
        }
        failPendingCalls(reporter->calls, cancelled);
        if (const auto manual = std::dynamic_pointer_cast<ManualScreenRecordingPermission>(permissionProvider)) {
            manual->refuseWaitingCalls();
        }
        for (int turn = 0; turn < 3; ++turn) {
            QCoreApplication::processEvents();
        }
    }

    // Starts the session and waits until it has left restoring.
    void launch()
    {
        session->start();
        ASSERT_TRUE(waitUntil([&] { return session->phase().kind() != AppPhase::Kind::restoringAuthentication; }));
    }
    void reachChoosing()
    {
        launch();
        ASSERT_TRUE(waitUntil([&] { return session->phase() == AppPhase::choosing(); }));
    }
    void playWithOneArea()
    {
        CaptureAreaProfile profile;
        profile.applicationIdentity = target.profileKey()->applicationIdentity;
        profile.windowTitle = target.windowTitle;
        profile.referenceImageWidth = 2000;
        profile.referenceImageHeight = 1000;
        profile.areas = {CaptureArea{QStringLiteral("box_1"), {10, 600, 1900, 380}, {20, 20, 40}}};
        captureAreaStore->save(profile);
        reachChoosing();
        session->selectTarget(target);
    }
    AppPhase::Kind phase() const { return session->phase().kind(); }
    QString captureAreaFile() const { return folder.filePath(QStringLiteral("capture-areas.json")); }

    std::shared_ptr<ScreenRecordingPermissionProviding> permissionProvider;
    std::shared_ptr<AccessAPIProviding> accessAPI;
    ServiceStandIn standIn;
    CaptureTarget target = exampleGameTarget();
    std::shared_ptr<InMemoryRefreshTokenStore> tokens;
    std::shared_ptr<ServerAuthenticationSession> serverSession;
    std::shared_ptr<CountingGoogleProvider> google = std::make_shared<CountingGoogleProvider>();
    std::shared_ptr<RecordingRestartPresenter> restartPresenter = std::make_shared<RecordingRestartPresenter>();
    std::shared_ptr<CountingWebPageOpener> pages = std::make_shared<CountingWebPageOpener>();
    std::shared_ptr<FakeCapturePipeline> pipeline = std::make_shared<FakeCapturePipeline>();
    std::shared_ptr<FixtureGameTitleResolver> titles = std::make_shared<FixtureGameTitleResolver>();
    std::shared_ptr<FakeTranslationErrorReporter> reporter = std::make_shared<FakeTranslationErrorReporter>();
    QTemporaryDir folder;
    std::shared_ptr<InMemoryGameTitleStore> titleStore = std::make_shared<InMemoryGameTitleStore>();
    std::shared_ptr<CaptureAreaStoring> captureAreaStore;
    std::shared_ptr<TranslationSettingsModel> translationSettings;
    std::shared_ptr<TranslationCoordinator> translations;
    std::shared_ptr<GameplaySessionCoordinator> gameplay;
    std::shared_ptr<TranslationReportCoordinator> reports;
    OverlaySettingsModel overlaySettings{std::make_unique<InMemoryOverlaySettingsStore>()};
    GameMemoLibraryModel notes{std::make_unique<InMemoryGameMemoStore>(), 0};
    std::shared_ptr<OverlayPanelController> overlay;
    std::unique_ptr<AppSession> session;
    int terminations = 0;
    int mainWindowOpens = 0;
};

} // namespace

TEST(AppSession, TheRestoreAnswerDecidesTheFirstScreen)
{
    {
        SessionRig rig;
        rig.launch();
        // Restored: permission granted at once, so the picker; the profile was fetched.
        ASSERT_TRUE(waitUntil([&] { return rig.phase() == AppPhase::Kind::choosing; }));
        ASSERT_TRUE(waitUntil([&] { return rig.session->currentUser().has_value(); }));
        EXPECT_EQ(rig.session->currentUser(), FixtureAccessAPI::fixtureUser());
        // A second start in another phase changes nothing.
        rig.session->start();
        EXPECT_EQ(rig.phase(), AppPhase::Kind::choosing);
    }
    {
        SessionRig rig(std::nullopt);
        rig.launch();
        EXPECT_EQ(rig.phase(), AppPhase::Kind::signedOut);
        // A late answer of a second restore finds another phase and is dropped.
        rig.session->handleRestoreResult(AuthenticationRestoreResult::restored);
        EXPECT_EQ(rig.phase(), AppPhase::Kind::signedOut);
    }
    {
        SessionRig rig;
        rig.standIn.enqueueResponse("POST", refreshPath, ScriptedResponse::raw(503, {}));
        rig.launch();
        EXPECT_EQ(rig.phase(), AppPhase::Kind::authenticationUnavailable);
        EXPECT_TRUE(rig.tokens->token().has_value()) << "the saved session stays for a retry";
        rig.session->retryAuthentication();
        EXPECT_EQ(rig.phase(), AppPhase::Kind::restoringAuthentication);
        ASSERT_TRUE(waitUntil([&] { return rig.phase() == AppPhase::Kind::choosing; }));
    }
    {
        SessionRig rig(QStringLiteral("saved"), true, false, false);
        rig.launch();
        EXPECT_EQ(rig.phase(), AppPhase::Kind::authenticationConfigurationUnavailable);
        rig.session->retryAuthentication();
        EXPECT_EQ(rig.phase(), AppPhase::Kind::authenticationConfigurationUnavailable);
    }
}

TEST(AppSession, SignInOutcomesAndTheirScreens)
{
    SessionRig rig(std::nullopt);
    rig.launch();
    ASSERT_EQ(rig.phase(), AppPhase::Kind::signedOut);

    // The server knows no web registration for the account; an earlier message goes.
    rig.standIn.enqueueResponse(
        "POST", loginPath, ScriptedResponse::json(errorEnvelope(QStringLiteral("web_registration_required")), 403));
    rig.session->signIn(nullptr);
    EXPECT_EQ(rig.phase(), AppPhase::Kind::authenticating);
    rig.session->signIn(nullptr); // a double click starts nothing more
    ASSERT_TRUE(waitUntil([&] { return rig.phase() == AppPhase::Kind::webRegistrationRequired; }));
    EXPECT_EQ(rig.google->requests, 1);
    EXPECT_FALSE(rig.session->authenticationError());

    // Cancelling the browser flow returns to where it started, without a message; the
    // Google account refused before is signed out first.
    rig.google->error = std::make_exception_ptr(GoogleSignInError(GoogleSignInError::Kind::cancelled));
    rig.session->signIn(nullptr);
    EXPECT_EQ(rig.google->signOuts, 1);
    ASSERT_TRUE(waitUntil([&] { return rig.phase() != AppPhase::Kind::authenticating; }));
    EXPECT_EQ(rig.phase(), AppPhase::Kind::webRegistrationRequired);
    EXPECT_FALSE(rig.session->authenticationError());

    // Any other failure: signed out, with the error's text.
    rig.google->error = nullptr;
    rig.standIn.enqueueResponse("POST", loginPath, ScriptedResponse::raw(503, {}));
    rig.session->signIn(nullptr);
    ASSERT_TRUE(waitUntil([&] { return rig.phase() == AppPhase::Kind::signedOut; }));
    ASSERT_TRUE(rig.session->authenticationError());
    EXPECT_EQ(rig.session->authenticationError()->localized(),
        QStringLiteral("Authentication is temporarily unavailable. Try again."));

    // Success: the permission check and the picker; the pair was saved.
    rig.session->signIn(nullptr);
    ASSERT_TRUE(waitUntil([&] { return rig.phase() == AppPhase::Kind::choosing; }));
    EXPECT_FALSE(rig.session->authenticationError());
    EXPECT_EQ(rig.tokens->token(), QStringLiteral("refresh-2"));
}

TEST(AppSession, TheSignInScreensButtonsReachTheSession)
{
    SessionRig rig(std::nullopt);
    rig.launch();
    ASSERT_EQ(rig.phase(), AppPhase::Kind::signedOut);
    const std::unique_ptr<QWidget> screen(makeAuthenticationScreen(*rig.session, nullptr));
    screen->resize(720, 520);
    screen->show();
    rig.google->waitsForTheTest = true;
    const auto click = [&screen](const char *name) { return clickWhenReady(*screen, QLatin1String(name)); };

    // The player gives up on the browser: the sign-in ends there and then, and a new one
    // can begin at once. What the abandoned one brings later is dropped.
    ASSERT_TRUE(click("google-sign-in"));
    EXPECT_EQ(rig.phase(), AppPhase::Kind::authenticating);
    ASSERT_TRUE(waitUntil([&] { return rig.google->pending.size() == 1; }));
    ASSERT_TRUE(click("cancel-google-sign-in"));
    EXPECT_EQ(rig.phase(), AppPhase::Kind::signedOut);
    EXPECT_TRUE(rig.google->pending[0]->token.isCancelled()) << "the browser flow goes on";
    EXPECT_FALSE(rig.session->authenticationError());
    rig.google->pending[0]->succeed(QStringLiteral("late-google-id-token"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(rig.standIn.requests("POST", loginPath).isEmpty());
    EXPECT_EQ(rig.phase(), AppPhase::Kind::signedOut);

    // Signed in again; the server wants a web registration first. "Sign Up on the Web"
    // opens the page (only in this phase), and a cancelled retry comes back here.
    rig.session->openWebSignUp();
    EXPECT_EQ(rig.pages->signUpPages, 0);
    rig.standIn.enqueueResponse(
        "POST", loginPath, ScriptedResponse::json(errorEnvelope(QStringLiteral("web_registration_required")), 403));
    ASSERT_TRUE(click("google-sign-in"));
    ASSERT_TRUE(waitUntil([&] { return rig.google->pending.size() == 2; }));
    rig.google->pending[1]->succeed(QStringLiteral("google-id-token"));
    ASSERT_TRUE(waitUntil([&] { return rig.phase() == AppPhase::Kind::webRegistrationRequired; }));
    ASSERT_TRUE(click("open-web-signup"));
    EXPECT_EQ(rig.pages->signUpPages, 1);
    ASSERT_TRUE(click("retry-google-sign-in"));
    EXPECT_EQ(rig.phase(), AppPhase::Kind::authenticating);
    ASSERT_TRUE(click("cancel-google-sign-in"));
    EXPECT_EQ(rig.phase(), AppPhase::Kind::webRegistrationRequired);

    // The server is unavailable: "Try Again" asks it again, "Quit" ends the application.
    rig.serverSession->eventRouter()->onEvent()(AuthenticationRuntimeEvent::unavailable);
    ASSERT_EQ(rig.phase(), AppPhase::Kind::authenticationUnavailable);
    ASSERT_TRUE(click("retry-authentication"));
    EXPECT_NE(rig.phase(), AppPhase::Kind::authenticationUnavailable);
    ASSERT_TRUE(waitUntil([&] { return rig.phase() == AppPhase::Kind::signedOut; })) << "no saved session";
    // The keyring, not the server, is what fails: the screen says so, with the same buttons.
    rig.serverSession->eventRouter()->onEvent()(AuthenticationRuntimeEvent::keyringUnavailable);
    const QList<QLabel *> labels = screen->findChildren<QLabel *>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&](const QLabel *label) {
        return label->isVisibleTo(screen.get()) && label->text().startsWith(QStringLiteral("The keyring that keeps"));
    }));
    QPushButton *quit = nullptr;
    for (QPushButton *button : screen->findChildren<QPushButton *>()) {
        if (button->text() == QStringLiteral("Quit") && button->isVisibleTo(screen.get())) {
            quit = button;
        }
    }
    ASSERT_NE(quit, nullptr);
    QTest::mouseClick(quit, Qt::LeftButton);
    EXPECT_EQ(rig.terminations, 1);
}

TEST(AppSession, AnAbandonedSignInsOutcomeNeverMovesTheNewerOne)
{
    SessionRig rig(std::nullopt);
    rig.launch();
    ASSERT_EQ(rig.phase(), AppPhase::Kind::signedOut);
    rig.google->waitsForTheTest = true;
    rig.session->signIn(nullptr);
    ASSERT_TRUE(waitUntil([&] { return rig.google->pending.size() == 1; }));
    rig.session->cancelSignIn();
    ASSERT_EQ(rig.phase(), AppPhase::Kind::signedOut);
    rig.session->signIn(nullptr);
    ASSERT_TRUE(waitUntil([&] { return rig.google->pending.size() == 2; }));

    // The abandoned browser flow fails while the newer sign-in runs: nothing moves, and no
    // message is shown.
    rig.google->pending[0]->fail(GoogleSignInError(GoogleSignInError::Kind::unavailable));
    QCoreApplication::processEvents();
    EXPECT_EQ(rig.phase(), AppPhase::Kind::authenticating);
    EXPECT_FALSE(rig.session->authenticationError());

    rig.google->pending[1]->succeed(QStringLiteral("google-id-token"));
    ASSERT_TRUE(waitUntil([&] { return rig.phase() == AppPhase::Kind::choosing; }));
    EXPECT_EQ(rig.tokens->token(), QStringLiteral("refresh-2"));
    EXPECT_EQ(rig.standIn.requests("POST", loginPath).size(), 1);
}

TEST(AppSession, ThePermissionFlowEndsDeniedOrInARestart)
{
    {
        SessionRig rig(QStringLiteral("saved"), false, false);
        rig.launch();
        ASSERT_TRUE(waitUntil([&] { return rig.phase() == AppPhase::Kind::permissionDenied; }));
        EXPECT_EQ(rig.restartPresenter->prompts, 0);
    }
    {
        SessionRig rig(QStringLiteral("saved"), false, true);
        rig.launch();
        // Granted on request: the restart prompt, then the application quits; never the picker.
        ASSERT_TRUE(waitUntil([&] { return rig.terminations == 1; }));
        EXPECT_EQ(rig.restartPresenter->prompts, 1);
        EXPECT_EQ(rig.phase(), AppPhase::Kind::requestingPermission);
        EXPECT_TRUE(rig.session->isTerminating());
    }
}

TEST(AppSession, PlayEndsOnAnAccountEventALogOutOrAnotherWindow)
{
    SessionRig rig;
    rig.playWithOneArea();
    ASSERT_EQ(rig.session->phase(), AppPhase::overlay(rig.target));
    ASSERT_EQ(rig.session->overlayCaptureAreaState(), OverlayCaptureAreaState::ready());
    ASSERT_EQ(rig.pipeline->starts.size(), 1);
    EXPECT_TRUE(rig.overlay->panel()->isVisible());
    EXPECT_TRUE(rig.session->canEditCaptureAreas());

    // The game window is gone: play stops, the overlay says so, the editor is no longer offered.
    rig.pipeline->emitEvent(CapturePipelineEvent::targetUnavailable());
    EXPECT_FALSE(rig.pipeline->isRunning());
    EXPECT_EQ(rig.session->overlayCaptureAreaState(), OverlayCaptureAreaState::targetUnavailable());
    EXPECT_FALSE(rig.session->canEditCaptureAreas());
    EXPECT_EQ(rig.session->phase(), AppPhase::overlay(rig.target));

    // Choosing again; then play once more and lose the server session.
    const int revision = rig.session->selectionRevision();
    rig.overlay->onRequestChooseAnotherWindow()();
    EXPECT_EQ(rig.phase(), AppPhase::Kind::choosing);
    EXPECT_EQ(rig.session->selectionRevision(), revision + 1);
    EXPECT_FALSE(rig.session->selectedTarget());
    EXPECT_FALSE(rig.overlay->panel()->isVisible());
    EXPECT_EQ(rig.mainWindowOpens, 1);

    rig.session->selectTarget(rig.target);
    ASSERT_TRUE(rig.pipeline->isRunning());
    rig.serverSession->eventRouter()->onEvent()(AuthenticationRuntimeEvent::unavailable);
    EXPECT_EQ(rig.phase(), AppPhase::Kind::authenticationUnavailable);
    EXPECT_FALSE(rig.pipeline->isRunning());
    EXPECT_FALSE(rig.session->selectedTarget());
    EXPECT_FALSE(rig.session->overlayCaptureAreaState());
    EXPECT_FALSE(rig.session->currentUser());
    EXPECT_EQ(rig.session->selectionRevision(), revision + 2);
    EXPECT_EQ(rig.mainWindowOpens, 2);

    // Log out works only while signed in.
    rig.session->logOut();
    EXPECT_EQ(rig.phase(), AppPhase::Kind::authenticationUnavailable);
    rig.session->retryAuthentication();
    ASSERT_TRUE(waitUntil([&] { return rig.phase() == AppPhase::Kind::choosing; }));
    rig.session->logOut();
    EXPECT_EQ(rig.phase(), AppPhase::Kind::signedOut);
    EXPECT_EQ(rig.google->signOuts, 1);
    ASSERT_TRUE(waitUntil([&] { return !rig.tokens->token(); }));

    // An invalid server session signs Google out too.
    rig.serverSession->eventRouter()->onEvent()(AuthenticationRuntimeEvent::sessionInvalid);
    EXPECT_EQ(rig.phase(), AppPhase::Kind::signedOut);
    EXPECT_EQ(rig.google->signOuts, 2);
}

TEST(AppSession, TheOverlayTellsWhyThereIsNothingToRead)
{
    SessionRig rig;
    rig.reachChoosing();
    CaptureTarget anonymous = rig.target;
    anonymous.bundleIdentifier.reset();
    anonymous.executableURL.reset();
    rig.session->selectTarget(anonymous);
    EXPECT_EQ(rig.session->overlayCaptureAreaState(),
        OverlayCaptureAreaState::loadFailed(ErrorMessage::text("Veyra couldn't identify the selected application.")));

    rig.session->selectTarget(rig.target);
    EXPECT_EQ(rig.session->overlayCaptureAreaState(), OverlayCaptureAreaState::requiresCaptureAreas());
    EXPECT_TRUE(rig.pipeline->starts.isEmpty());

    // The overlay asks for the editor; the router opens it only while editing is possible.
    int editorOpens = 0;
    rig.session->captureAreaEditorRouter().setOpenAction([&] { ++editorOpens; });
    rig.overlay->onRequestCaptureAreaEditor()();
    EXPECT_EQ(editorOpens, 1);
}

TEST(AppSession, TerminateEndsEverythingOnceAndThenNothingMoves)
{
    SessionRig rig;
    rig.playWithOneArea();
    rig.session->terminate();
    rig.session->terminate();
    EXPECT_EQ(rig.terminations, 1);
    EXPECT_FALSE(rig.pipeline->isRunning());
    EXPECT_FALSE(rig.overlay->panel()->isVisible());

    const AppPhase before = rig.session->phase();
    rig.session->logOut();
    rig.serverSession->eventRouter()->onEvent()(AuthenticationRuntimeEvent::unavailable);
    rig.session->chooseAnotherWindow();
    rig.session->selectTarget(rig.target);
    EXPECT_EQ(rig.session->phase(), before);
    EXPECT_EQ(rig.pipeline->starts.size(), 1);
}

TEST(AppSession, OneDialogueLineBecomesATranslatedReportableRow)
{
    SessionRig rig;
    rig.playWithOneArea();
    const TranslationReportScreenshot frame{"jpeg-bytes", QStringLiteral("image/jpeg"), QStringLiteral("capture.jpg")};
    rig.pipeline->emitEvent(
        CapturePipelineEvent::textChanged({QStringLiteral("box_1"), QStringLiteral("Hello  there"), frame}));
    ASSERT_EQ(rig.overlay->rowsByAreaID().value(QStringLiteral("box_1")).translationState,
        OverlayTranslationState::translating);

    ASSERT_TRUE(waitUntil([&] {
        return rig.overlay->rowsByAreaID().value(QStringLiteral("box_1")).translationState
            == OverlayTranslationState::translated;
    }));
    const OverlayTextRow row = rig.overlay->rowsByAreaID().value(QStringLiteral("box_1"));
    EXPECT_EQ(row.sourceText, QStringLiteral("Hello there"));
    EXPECT_EQ(row.translatedText, QStringLiteral("[ko] Hello there"));
    EXPECT_TRUE(row.translationID.has_value()) << "a retained frame makes the row reportable";
    EXPECT_EQ(row.targetLanguage, TranslationTargetLanguage::korean);

    // The request went out through the authorised session with the restored token.
    const auto requests = rig.standIn.requests("POST", translationsPath);
    ASSERT_EQ(requests.size(), 1);
    EXPECT_EQ(requests.front().header("Authorization"), "Bearer access-1");

    // The same text again changes nothing and sends nothing.
    rig.pipeline->emitEvent(
        CapturePipelineEvent::textChanged({QStringLiteral("box_1"), QStringLiteral("Hello there"), frame}));
    QCoreApplication::processEvents();
    EXPECT_EQ(rig.standIn.requests("POST", translationsPath).size(), 1);
    EXPECT_EQ(rig.overlay->rowsByAreaID().value(QStringLiteral("box_1")).translationState,
        OverlayTranslationState::translated);

    // A line read without a frame is translated but cannot be reported.
    rig.pipeline->emitEvent(CapturePipelineEvent::textChanged({QStringLiteral("box_1"), QStringLiteral("Bye"), {}}));
    ASSERT_TRUE(waitUntil([&] {
        return rig.overlay->rowsByAreaID().value(QStringLiteral("box_1")).translatedText == QStringLiteral("[ko] Bye");
    }));
    EXPECT_FALSE(rig.overlay->rowsByAreaID().value(QStringLiteral("box_1")).translationID);
}

TEST(AppSession, TheWindowChoiceAndPlayNeedASignedInSessionPastThePermission)
{
    auto permission = std::make_shared<ManualScreenRecordingPermission>();
    SessionRig rig(QStringLiteral("saved"), permission, std::make_shared<FixtureAccessAPI>());
    rig.launch();
    ASSERT_EQ(rig.phase(), AppPhase::Kind::checkingPermission);
    // Neither the editor's "Choose Another Window" nor a target skips the permission.
    rig.session->chooseAnotherWindow();
    rig.session->selectTarget(rig.target);
    EXPECT_EQ(rig.phase(), AppPhase::Kind::checkingPermission);

    // A log-out while the permission is checked: its answer finds nobody to let through.
    rig.session->logOut();
    permission->answerPreflight(true);
    EXPECT_EQ(rig.phase(), AppPhase::Kind::signedOut);
    rig.session->chooseAnotherWindow();
    rig.session->selectTarget(rig.target);
    EXPECT_EQ(rig.phase(), AppPhase::Kind::signedOut);
    EXPECT_EQ(rig.session->selectionRevision(), 1);
    EXPECT_EQ(rig.mainWindowOpens, 1) << "only the log-out brought the main window forward";

    // The same while the permission is requested: no restart prompt, no quit.
    rig.session->signIn(nullptr);
    ASSERT_TRUE(waitUntil([&] { return rig.phase() == AppPhase::Kind::checkingPermission; }));
    permission->answerPreflight(false);
    ASSERT_TRUE(waitUntil([&] { return rig.phase() == AppPhase::Kind::requestingPermission; }));
    rig.session->logOut();
    permission->answerRequest(true);
    QCoreApplication::processEvents();
    EXPECT_EQ(rig.phase(), AppPhase::Kind::signedOut);
    EXPECT_EQ(rig.restartPresenter->prompts, 0);
    EXPECT_EQ(rig.terminations, 0);

    // Play, then a log-out: the editor window stays open, and its "Choose Another Window"
    // leads nowhere, so nobody plays signed out.
    rig.session->signIn(nullptr);
    permission->answerPreflight(true);
    ASSERT_TRUE(waitUntil([&] { return rig.phase() == AppPhase::Kind::choosing; }));
    rig.session->selectTarget(rig.target);
    ASSERT_EQ(rig.phase(), AppPhase::Kind::overlay);
    rig.session->logOut();
    const int revision = rig.session->selectionRevision();
    const int opens = rig.mainWindowOpens;
    rig.session->chooseAnotherWindow();
    rig.session->selectTarget(rig.target);
    EXPECT_EQ(rig.phase(), AppPhase::Kind::signedOut);
    EXPECT_EQ(rig.session->selectionRevision(), revision);
    EXPECT_EQ(rig.mainWindowOpens, opens);
    EXPECT_FALSE(rig.session->selectedTarget());
}

TEST(AppSession, ASignInThatEndsAfterTerminateOrAnAccountEventMovesNothing)
{
    const std::exception_ptr endings[] = {
        std::make_exception_ptr(GoogleSignInError(GoogleSignInError::Kind::cancelled)),
        std::make_exception_ptr(GoogleSignInError(GoogleSignInError::Kind::missingIDToken)),
        std::make_exception_ptr(AuthenticationClientError(AuthenticationClientError::Kind::webRegistrationRequired)),
        std::make_exception_ptr(AuthenticationClientError(AuthenticationClientError::Kind::unavailable)),
        std::make_exception_ptr(std::runtime_error("the browser went away")),
    };
    for (const std::exception_ptr &ending : endings) {
        SessionRig rig(std::nullopt);
        rig.launch();
        rig.google->waitsForTheTest = true;
        rig.session->signIn(nullptr);
        ASSERT_TRUE(waitUntil([&] { return rig.google->pending.size() == 1; }));
        rig.session->terminate();
        rig.google->pending.front()->fail(ending);
        EXPECT_EQ(rig.phase(), AppPhase::Kind::authenticating);
        EXPECT_FALSE(rig.session->authenticationError());
    }

    // An account event while the browser is open decides the screen.
    SessionRig rig(std::nullopt);
    rig.launch();
    rig.google->waitsForTheTest = true;
    rig.session->signIn(nullptr);
    ASSERT_TRUE(waitUntil([&] { return rig.google->pending.size() == 1; }));
    rig.serverSession->eventRouter()->onEvent()(AuthenticationRuntimeEvent::unavailable);
    rig.google->pending.front()->fail(GoogleSignInError(GoogleSignInError::Kind::cancelled));
    EXPECT_EQ(rig.phase(), AppPhase::Kind::authenticationUnavailable);
}

TEST(AppSession, OnlyTheReadyOverlayTakesTextTranslationsAndReports)
{
    SessionRig rig;
    rig.playWithOneArea();
    const QString box = QStringLiteral("box_1");
    const auto rowOfBox = [&] { return rig.overlay->rowsByAreaID().value(box); };
    const TranslationReportScreenshot frame{"jpeg-bytes", QStringLiteral("image/jpeg"), QStringLiteral("capture.jpg")};
    rig.pipeline->emitEvent(CapturePipelineEvent::textChanged({box, QStringLiteral("Hello there"), frame}));
    ASSERT_TRUE(waitUntil([&] { return rowOfBox().translationState == OverlayTranslationState::translated; }));
    const OverlayTextRow translated = rowOfBox();
    const auto completed = [&](const QString &source, const QString &text) {
        return TranslationCoordinatorEvent::succeeded(box,
            CompletedTranslation{QUuid::createUuid(), source, text, std::nullopt, TranslationTargetLanguage::korean});
    };

    // A translation of a text the row no longer shows, or one of only blanks, is not written.
    rig.session->handleTranslationEvent(completed(QStringLiteral("Good morning"), QStringLiteral("[ko] stale")));
    rig.session->handleTranslationEvent(completed(QStringLiteral("Hello there"), QStringLiteral(" \r\n ")));
    EXPECT_EQ(rowOfBox(), translated);

    // A reported line is translated again in the language of the report, whatever the
    // setting says now.
    rig.translationSettings->setTargetLanguage(TranslationTargetLanguage::japanese);
    ASSERT_EQ(rig.overlay->reportTargets().size(), 1);
    rig.overlay->onRequestTranslationErrorReport()(rig.overlay->reportTargets().front());
    ASSERT_TRUE(waitUntil([&] { return rig.reporter->calls.size() == 1; }));
    rig.reporter->calls.front()->succeed();
    ASSERT_TRUE(waitUntil([&] { return rig.standIn.requests("POST", translationsPath).size() == 2; }));
    const QJsonObject first = rig.standIn.requests("POST", translationsPath).front().jsonBody();
    const QJsonObject again = rig.standIn.requests("POST", translationsPath).back().jsonBody();
    EXPECT_EQ(again.value(QStringLiteral("target_language")).toString(), QStringLiteral("ko"));
    EXPECT_EQ(again.value(QStringLiteral("game_title")), first.value(QStringLiteral("game_title")));
    ASSERT_TRUE(waitUntil([&] { return rowOfBox().translationState == OverlayTranslationState::translated; }));
    EXPECT_EQ(rowOfBox().translatedText, QStringLiteral("[ko] Hello there"));

    // Play ends (the overlay keeps its rows while hidden). Late text, a late translation
    // and a report, even of a line whose frame is at hand, change nothing and send nothing.
    ASSERT_EQ(rig.overlay->reportTargets().size(), 1);
    const TranslationReportTarget reportable = rig.overlay->reportTargets().front();
    rig.overlay->onRequestChooseAnotherWindow()();
    const OverlayTextRow lastShown = rowOfBox();
    rig.pipeline->emitEvent(CapturePipelineEvent::textChanged({box, QStringLiteral("Too late"), frame}));
    rig.session->handleTranslationEvent(completed(QStringLiteral("Hello there"), QStringLiteral("[ko] late")));
    EXPECT_EQ(rowOfBox(), lastShown);
    EXPECT_TRUE(rig.reports->screenshotsByAreaID().isEmpty());
    rig.reports->retainScreenshot({box, QStringLiteral("Hello there"), frame});
    rig.session->requestTranslationErrorReport(reportable);
    QCoreApplication::processEvents();
    EXPECT_EQ(rig.reporter->calls.size(), 1u);
    EXPECT_EQ(rig.standIn.requests("POST", translationsPath).size(), 2);
}

TEST(AppSession, TheAccountStateBelongsToOneSignIn)
{
    auto access = std::make_shared<ManualAccessAPI>();
    SessionRig rig(QStringLiteral("saved"), std::make_shared<FixtureScreenRecordingPermission>(true, true), access);
    rig.playWithOneArea();
    ASSERT_EQ(rig.phase(), AppPhase::Kind::overlay);
    ASSERT_TRUE(waitUntil([&] { return access->calls.size() == 1; })) << "the profile after the restore";

    // A second refresh while one runs starts nothing more.
    rig.session->refreshAccountProfile();
    rig.session->refreshAccountProfile();
    ASSERT_TRUE(waitUntil([&] { return access->calls.size() >= 2; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(access->calls.size(), 2u);
    EXPECT_TRUE(rig.session->isRefreshingAccount());
    access->calls[1]->succeed(user(QStringLiteral("player@example.com")));
    EXPECT_FALSE(rig.session->isRefreshingAccount());
    EXPECT_EQ(rig.session->currentUser()->email, QStringLiteral("player@example.com"));

    // The note popover is open when the server session is lost: the reset closes it
    // with the overlay.
    QTest::mouseClick(rig.overlay->controlView()->gameNoteHandle(), Qt::LeftButton);
    ASSERT_TRUE(rig.overlay->gameMemoPresenter().popover());
    ASSERT_TRUE(rig.overlay->gameMemoPresenter().popover()->isVisible());
    rig.session->refreshAccountProfile();
    ASSERT_TRUE(waitUntil([&] { return access->calls.size() == 3; }));
    rig.serverSession->eventRouter()->onEvent()(AuthenticationRuntimeEvent::sessionInvalid);
    EXPECT_FALSE(rig.overlay->panel()->isVisible());
    EXPECT_FALSE(rig.overlay->gameMemoPresenter().popover());

    // The profile answers of the old sign-in arrive after it ended: nobody's profile shows.
    access->calls[0]->succeed(user(QStringLiteral("earlier@example.com")));
    access->calls[2]->succeed(user(QStringLiteral("later@example.com")));
    EXPECT_FALSE(rig.session->currentUser());
    EXPECT_FALSE(rig.session->isRefreshingAccount());
    EXPECT_FALSE(rig.session->accountRefreshError());
}

TEST(AppSession, AFailedAccountRefreshSaysSoUntilTheNextOneBegins)
{
    auto access = std::make_shared<ManualAccessAPI>();
    SessionRig rig(QStringLiteral("saved"), std::make_shared<FixtureScreenRecordingPermission>(true, true), access);
    rig.reachChoosing();
    ASSERT_TRUE(waitUntil([&] { return access->calls.size() == 1; })) << "the profile after the restore";
    access->calls[0]->succeed(user(QStringLiteral("player@example.com")));

    rig.session->refreshAccountProfile();
    ASSERT_TRUE(waitUntil([&] { return access->calls.size() == 2; }));
    access->calls[1]->fail(AccessClientError(AccessClientError::Kind::invalidResponse));
    EXPECT_FALSE(rig.session->isRefreshingAccount());
    ASSERT_TRUE(rig.session->accountRefreshError());
    EXPECT_EQ(rig.session->accountRefreshError()->localized(),
        QStringLiteral("Veyra couldn't refresh your account. Try again."));
    EXPECT_EQ(rig.session->currentUser()->email, QStringLiteral("player@example.com")) << "the profile stays";

    rig.session->refreshAccountProfile();
    EXPECT_TRUE(rig.session->isRefreshingAccount());
    EXPECT_FALSE(rig.session->accountRefreshError());
    ASSERT_TRUE(waitUntil([&] { return access->calls.size() == 3; }));
    access->calls[2]->succeed(user(QStringLiteral("renamed@example.com")));
    EXPECT_FALSE(rig.session->accountRefreshError());
    EXPECT_EQ(rig.session->currentUser()->email, QStringLiteral("renamed@example.com"));
}

TEST(AppSession, TheOverlayShowsHowAReportAndTheCaptureAreasOfTheWindowChosenCameOut)
{
    SessionRig rig;
    const GameWindowProfileKey key = *rig.target.profileKey();
    rig.titleStore->save(GameTitleResolution(QStringLiteral("Harbour Tales"), QStringLiteral("Harbour Tales")), key);
    rig.reachChoosing();

    // A window without capture areas: the overlay asks for them, and a note written for the
    // game meanwhile carries the game's title.
    rig.session->selectTarget(rig.target);
    ASSERT_EQ(rig.overlay->currentCaptureAreaState(), OverlayCaptureAreaState::requiresCaptureAreas());
    const QWidget &panel = *rig.overlay->panel();
    QTest::mouseClick(rig.overlay->controlView()->gameNoteHandle(), Qt::LeftButton);
    ASSERT_TRUE(rig.overlay->gameMemoPresenter().popover());
    EXPECT_EQ(rig.notes.entriesByKey().value(key).representativeGameName, QStringLiteral("Harbour Tales"));
    rig.overlay->gameMemoPresenter().close();

    // The capture-area file cannot be read (a folder stands in its place): the overlay says
    // so, and asks for no capture areas.
    rig.overlay->onRequestChooseAnotherWindow()();
    ASSERT_TRUE(QDir().mkdir(rig.captureAreaFile()));
    rig.session->selectTarget(rig.target);
    const OverlayCaptureAreaState failed = rig.overlay->currentCaptureAreaState();
    ASSERT_EQ(failed.kind(), OverlayCaptureAreaState::Kind::loadFailed);
    EXPECT_TRUE(failed.message()->localized().startsWith(QStringLiteral("Veyra couldn't load the capture areas: ")))
        << failed.message()->localized().toStdString();
    EXPECT_EQ(rig.session->overlayCaptureAreaState(), failed);
    EXPECT_TRUE(isShownIn(panel, QStringLiteral("overlay-capture-areas-load-failed")));
    EXPECT_FALSE(isShownIn(panel, QStringLiteral("overlay-capture-areas-required")));
    EXPECT_TRUE(rig.pipeline->starts.isEmpty());

    // Play, and a line to report.
    rig.overlay->onRequestChooseAnotherWindow()();
    ASSERT_TRUE(QDir().rmdir(rig.captureAreaFile()));
    rig.playWithOneArea();
    const QString box = QStringLiteral("box_1");
    const TranslationReportScreenshot frame{"jpeg-bytes", QStringLiteral("image/jpeg"), QStringLiteral("capture.jpg")};
    const auto translatedLine = [&](const QString &text) {
        rig.pipeline->emitEvent(CapturePipelineEvent::textChanged({box, text, frame}));
        return waitUntil([&] { return rig.overlay->rowsByAreaID().value(box).translatedText == "[ko] " + text; });
    };
    ASSERT_TRUE(translatedLine(QStringLiteral("Hello there")));
    // The player opens the report popover, picks the line and reports it.
    const auto report = [&]() -> QWidget * {
        QTest::mouseClick(rig.overlay->controlView()->reportHandle(), Qt::LeftButton);
        QWidget *popover = rig.overlay->translationReportPresenter().popover();
        if (popover == nullptr || !clickWhenReady(*popover, QStringLiteral("translation-error-report-row-") + box)
            || !clickWhenReady(*popover, QStringLiteral("translation-error-report-submit"))) {
            return nullptr;
        }
        return popover;
    };

    // The upload fails: the popover stops reporting and says so; the player may try again.
    QWidget *popover = report();
    ASSERT_NE(popover, nullptr);
    ASSERT_TRUE(waitUntil([&] { return rig.reporter->calls.size() == 1; }));
    auto *submit = named<QPushButton>(*popover, QStringLiteral("translation-error-report-submit"));
    ASSERT_FALSE(submit->isEnabled());
    ASSERT_TRUE(isShownIn(*popover, QStringLiteral("translation-error-report-progress")));
    rig.reporter->calls[0]->fail(std::runtime_error("503 from the server"));
    ASSERT_TRUE(waitUntil([&] { return submit->isEnabled(); })) << "the report stays submitting";
    EXPECT_FALSE(isShownIn(*popover, QStringLiteral("translation-error-report-progress")));
    const auto *failure = named<QLabel>(*popover, QStringLiteral("translation-error-report-failure"));
    ASSERT_NE(failure, nullptr);
    EXPECT_TRUE(failure->isVisibleTo(popover));
    EXPECT_EQ(failure->text(), QStringLiteral("Couldn't report this translation. Try again later."));
    for (QPushButton *button : popover->findChildren<QPushButton *>()) {
        EXPECT_TRUE(button->isEnabled()) << button->text().toStdString();
    }

    // Reported again, and the line changes meanwhile: that upload ends, and the new line
    // can be reported at once.
    ASSERT_TRUE(clickWhenReady(*popover, QStringLiteral("translation-error-report-submit")));
    ASSERT_TRUE(waitUntil([&] { return rig.reporter->calls.size() == 2; }));
    ASSERT_TRUE(translatedLine(QStringLiteral("The bridge is out")));
    EXPECT_TRUE(rig.reporter->calls[1]->token.isCancelled()) << "the report of a line no longer shown goes on";
    ASSERT_NE(report(), nullptr);
    EXPECT_TRUE(waitUntil([&] { return rig.reporter->calls.size() == 3; }));
    const auto *model = rig.overlay->translationReportPresenter().model();
    ASSERT_NE(model, nullptr);
    EXPECT_TRUE(model->isSubmitting());
    EXPECT_FALSE(model->failureMessage());
}
