#pragma once

#include "account/coordinator/AuthenticationCoordinator.h"
#include "account/google/GoogleIDTokenProviding.h"
#include "account/profile/AccessCoordinator.h"
#include "account/profile/CurrentUser.h"
#include "account/session/AuthenticationEventRouter.h"
#include "account/session/AuthenticationRestoreResult.h"
#include "account/session/AuthenticationRuntimeEvent.h"
#include "account/session/ServerAuthenticationSession.h"
#include "account/web/WebPageOpening.h"
#include "app/launch/UITestingLaunchOptions.h"
#include "app/session/AppPhase.h"
#include "app/session/WindowRouters.h"
#include "capture/pipeline/CapturePipelineEvent.h"
#include "capture/windows/PermissionRestartPresenting.h"
#include "capture/windows/ScreenRecordingPermissionProviding.h"
#include "capture/windows/WindowCatalogProviding.h"
#include "editor/session/CaptureAreaEditorSessionProviding.h"
#include "foundation/async/TaskOnActor.h"
#include "foundation/logging/Logger.h"
#include "notes/model/GameMemoContext.h"
#include "overlay/state/OverlayCaptureAreaState.h"
#include "settings/account/SettingsAccountProviding.h"
#include "translation/reports/TranslationReportCoordinator.h"
#include "translation/reports/TranslationReportCoordinatorEvent.h"
#include "translation/session/GameplaySessionCoordinator.h"
#include "translation/translations/TranslationCoordinatorEvent.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <exception>
#include <functional>
#include <memory>
#include <optional>

namespace veyra {

class OverlayPanelController;

// Why the session is in authenticationUnavailable: the server could not be reached, or the
// keyring that keeps the saved session refused or did not answer.
enum class AuthenticationUnavailableCause {
    server,
    keyring,
};

// The application's switchboard, one per process, on the GUI thread. It owns the phase
// that decides what the main window shows and walks from restoring the saved sign-in
// through sign-in and the capture permission to the window choice and play. During play
// every capture, translation and report event arrives here, and the session alone
// decides what the overlay shows and what the coordinators are asked next. terminate()
// ends everything in order, once.
//
// Every callback the session installs on another object holds the session weakly; every
// task it starts re-checks, when it resumes, the state it was started in.
class AppSession : public SettingsAccountProviding, public CaptureAreaEditorSessionProviding
{
    Q_OBJECT

public:
    using TerminationHandler = std::function<void()>;

    // What the composition root hands in. The permission provider and the restart
    // presenter are chosen from the launch options when left empty.
    struct Services
    {
        std::shared_ptr<ServerAuthenticationSession> serverSession;
        std::shared_ptr<GoogleIDTokenProviding> googleProvider;
        std::shared_ptr<WebPageOpening> webPageOpener;
        std::shared_ptr<AuthenticationEventRouter> eventRouter;
        std::shared_ptr<GameplaySessionCoordinator> gameplaySessionCoordinator;
        std::shared_ptr<TranslationReportCoordinator> translationReportCoordinator;
        std::shared_ptr<AccessCoordinator> accessCoordinator;
        std::shared_ptr<WindowCatalogProviding> windowCatalog;
        std::shared_ptr<OverlayPanelController> overlayController;
        std::shared_ptr<ScreenRecordingPermissionProviding> permissionProvider;
        std::shared_ptr<PermissionRestartPresenting> restartPresenter;
    };

    AppSession(const UITestingLaunchOptions &options, Services services, QObject *parent = nullptr);
    ~AppSession() override;

    // Published state.
    const AppPhase &phase() const { return m_phase; }
    const std::optional<ErrorMessage> &authenticationError() const { return m_authenticationError; }
    // Meaningful in authenticationUnavailable; set before the phase changes to it.
    AuthenticationUnavailableCause authenticationUnavailableCause() const { return m_authenticationUnavailableCause; }
    const std::optional<CurrentUser> &currentUser() const override { return m_currentUser; }
    bool isRefreshingAccount() const override { return m_isRefreshingAccount; }
    const std::optional<ErrorMessage> &accountRefreshError() const override { return m_accountRefreshError; }
    bool isSignedIn() const override { return m_phase.isSignedIn(); }
    std::optional<CaptureTarget> selectedTarget() const override { return m_selectedTarget; }
    const std::optional<OverlayCaptureAreaState> &overlayCaptureAreaState() const { return m_overlayCaptureAreaState; }
    int selectionRevision() const { return m_selectionRevision; }

    bool isTerminating() const override { return m_isTerminating; }
    const std::shared_ptr<ScreenRecordingPermissionProviding> &permissionProvider() const
    {
        return m_permissionProvider;
    }
    AuthenticationCoordinator &authenticationCoordinator() const { return *m_authenticationCoordinator; }
    const std::shared_ptr<GameplaySessionCoordinator> &gameplaySessionCoordinator() const
    {
        return m_services.gameplaySessionCoordinator;
    }
    const std::shared_ptr<TranslationReportCoordinator> &translationReportCoordinator() const
    {
        return m_services.translationReportCoordinator;
    }
    const std::shared_ptr<AccessCoordinator> &accessCoordinator() const { return m_services.accessCoordinator; }
    const std::shared_ptr<WindowCatalogProviding> &windowCatalog() const { return m_services.windowCatalog; }
    const std::shared_ptr<WebPageOpening> &webPageOpener() const override { return m_services.webPageOpener; }
    const std::shared_ptr<PermissionRestartPresenting> &restartPresenter() const { return m_restartPresenter; }
    const std::shared_ptr<OverlayPanelController> &overlayController() const { return m_services.overlayController; }
    CaptureAreaEditorRouter &captureAreaEditorRouter() { return m_captureAreaEditorRouter; }
    MainWindowRouter &mainWindowRouter() { return m_mainWindowRouter; }

    // What terminate() finally runs; by default the application's event loop quits.
    void setTerminationHandler(TerminationHandler handler) { m_terminationHandler = std::move(handler); }

    // Authentication and permission.
    void start();
    void signIn(QWidget *presentingWindow);
    // Ends the sign-in in progress as the player's cancellation: the browser flow (or the
    // exchange at the server) is stopped and the screen goes back to where the sign-in
    // began, without a message, so that the player can start again.
    void cancelSignIn();
    void retryAuthentication();
    void openWebSignUp();
    void logOut();
    void handleRestoreResult(AuthenticationRestoreResult result);
    void beginPermissionCheck();
    void evaluateScreenRecordingPermission();
    void handleAuthenticationRuntimeEvent(AuthenticationRuntimeEvent event);
    void resetAccountState();
    // The settings window's refresh: publishes its progress and its failure.
    void refreshAccountProfile() override;

    // Play.
    void selectTarget(const CaptureTarget &target);
    void prepareOverlay(CaptureTarget target) override;
    void startGameplay(const CaptureTarget &target, const CaptureAreaProfile &profile);
    void chooseAnotherWindow() override;
    void handleCaptureEvent(const CapturePipelineEvent &event);
    void handleTranslationEvent(const TranslationCoordinatorEvent &event);
    void handleTranslationReportEvent(const TranslationReportCoordinatorEvent &event);
    void requestTranslationErrorReport(const TranslationReportTarget &target);
    void openCaptureAreaEditor();
    std::optional<GameMemoContext> gameMemoContext() const;
    bool canEditCaptureAreas() const;
    void terminate();

signals:
    void phaseChanged();
    void authenticationErrorChanged();
    void authenticationUnavailableCauseChanged();
    void selectedTargetChanged();
    void overlayCaptureAreaStateChanged();
    void selectionRevisionChanged();

private:
    void setPhase(AppPhase phase);
    void setAuthenticationError(std::optional<ErrorMessage> error);
    void showAuthenticationUnavailable(AuthenticationUnavailableCause cause);
    void setCurrentUser(std::optional<CurrentUser> user);
    void setIsRefreshingAccount(bool refreshing);
    void setAccountRefreshError(std::optional<ErrorMessage> error);
    void setSelectedTarget(std::optional<CaptureTarget> target);
    void setOverlayCaptureAreaState(std::optional<OverlayCaptureAreaState> state);
    void raiseSelectionRevision();

    // Applies the error that ended a sign-in to the phase and the message.
    void finishFailedSignIn(std::exception_ptr failure, const AppPhase &phaseBeforeSignIn);
    void fetchAccountProfileAfterAuthentication();
    void showOverlay(const CaptureTarget &target, const OverlayCaptureAreaState &state, const QStringList &areaIDs);
    void stopPlay();
    void dropReports();
    void closeOverlayExtras();
    void bringMainWindowForward();
    void failReportRequest(const TranslationReportTarget &target);
    bool isOverlayReady() const;
    void installCallbacks();

    const std::shared_ptr<ScreenRecordingPermissionProviding> m_permissionProvider;
    const std::shared_ptr<PermissionRestartPresenting> m_restartPresenter;
    const Services m_services;
    const std::unique_ptr<AuthenticationCoordinator> m_authenticationCoordinator;
    CaptureAreaEditorRouter m_captureAreaEditorRouter;
    MainWindowRouter m_mainWindowRouter;
    TerminationHandler m_terminationHandler;
    const Logger m_logger{"AppSession"};

    AppPhase m_phase = AppPhase::restoringAuthentication();
    std::optional<ErrorMessage> m_authenticationError;
    AuthenticationUnavailableCause m_authenticationUnavailableCause = AuthenticationUnavailableCause::server;
    std::optional<CurrentUser> m_currentUser;
    bool m_isRefreshingAccount = false;
    std::optional<ErrorMessage> m_accountRefreshError;
    std::optional<CaptureTarget> m_selectedTarget;
    std::optional<OverlayCaptureAreaState> m_overlayCaptureAreaState;
    int m_selectionRevision = 0;
    bool m_isTerminating = false;

    // The sign-in in progress and the phase it began in.
    std::optional<ActorTask> m_signInTask;
    AppPhase m_phaseBeforeSignIn = AppPhase::signedOut();

    // The two profile fetches (after authentication, and the settings window's refresh);
    // an account reset cancels both.
    std::optional<ActorTask> m_profileFetchTask;
    std::optional<ActorTask> m_accountRefreshTask;
};

} // namespace veyra
