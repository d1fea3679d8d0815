#include "app/session/AppSession.h"

#include "account/authentication/AuthenticationClientError.h"
#include "account/configuration/GoogleSignInError.h"
#include "account/profile/AccessClientError.h"
#include "account/tokens/UnansweredKeychainError.h"

#include "capture/fixtures/FixtureScreenRecordingPermission.h"
#include "capture/target/GameWindowProfileKey.h"
#include "capture/windows/QtPermissionRestartPresenter.h"
#include "capture/x11/X11ScreenRecordingPermission.h"
#include "foundation/language/LocalizedString.h"
#include "overlay/panels/OverlayPanelController.h"

#include <QCoreApplication>

#include <utility>

namespace veyra {

namespace {

std::shared_ptr<ScreenRecordingPermissionProviding> choosePermissionProvider(const UITestingLaunchOptions &options)
{
    if (options.screenPermissionDenied) {
        return std::make_shared<FixtureScreenRecordingPermission>(false, false);
    }
    if (options.isFixtureMode || options.screenPermissionAuthorized) {
        return std::make_shared<FixtureScreenRecordingPermission>(true, true);
    }
    return std::make_shared<X11ScreenRecordingPermission>();
}

} // namespace

AppSession::AppSession(const UITestingLaunchOptions &options, Services services, QObject *parent)
    : SettingsAccountProviding(parent)
    , m_permissionProvider(
          services.permissionProvider ? services.permissionProvider : choosePermissionProvider(options))
    , m_restartPresenter(
          services.restartPresenter ? services.restartPresenter : std::make_shared<QtPermissionRestartPresenter>())
    , m_services(std::move(services))
    , m_authenticationCoordinator(std::make_unique<AuthenticationCoordinator>(
          m_services.serverSession, m_services.googleProvider, m_services.webPageOpener))
    , m_terminationHandler([] { QCoreApplication::quit(); })
{
    installCallbacks();
}

AppSession::~AppSession() = default;

void AppSession::installCallbacks()
{
    const QPointer<AppSession> self(this);
    if (m_services.eventRouter) {
        const QPointer<AuthenticationCoordinator> coordinator(m_authenticationCoordinator.get());
        m_services.eventRouter->setOnEvent([coordinator](AuthenticationRuntimeEvent event) {
            if (coordinator && coordinator->onRuntimeEvent()) {
                coordinator->onRuntimeEvent()(event);
            }
        });
    }
    m_authenticationCoordinator->setOnRuntimeEvent([self](AuthenticationRuntimeEvent event) {
        if (self) {
            self->handleAuthenticationRuntimeEvent(event);
        }
    });
    if (const auto &gameplay = m_services.gameplaySessionCoordinator) {
        gameplay->setOnCaptureEvent([self](const CapturePipelineEvent &event) {
            if (self) {
                self->handleCaptureEvent(event);
            }
        });
        gameplay->setOnTranslationEvent([self](const TranslationCoordinatorEvent &event) {
            if (self) {
                self->handleTranslationEvent(event);
            }
        });
    }
    if (const auto &reports = m_services.translationReportCoordinator) {
        reports->setOnEvent([self](const TranslationReportCoordinatorEvent &event) {
            if (self) {
                self->handleTranslationReportEvent(event);
            }
        });
    }
    if (const auto &overlay = m_services.overlayController) {
        overlay->setGameMemoContextProvider(
            [self]() -> std::optional<GameMemoContext> { return self ? self->gameMemoContext() : std::nullopt; });
        overlay->setOnRequestCaptureAreaEditor([self] {
            if (self) {
                self->openCaptureAreaEditor();
            }
        });
        overlay->setOnRequestChooseAnotherWindow([self] {
            if (self) {
                self->chooseAnotherWindow();
            }
        });
        overlay->setOnRequestTranslationErrorReport([self](const TranslationReportTarget &target) {
            if (self) {
                self->requestTranslationErrorReport(target);
            }
        });
    }
}

// MARK: - Published state

void AppSession::setPhase(AppPhase phase)
{
    if (m_phase == phase) {
        return;
    }
    m_phase = std::move(phase);
    emit phaseChanged();
}

void AppSession::setAuthenticationError(std::optional<ErrorMessage> error)
{
    if (m_authenticationError == error) {
        return;
    }
    m_authenticationError = std::move(error);
    emit authenticationErrorChanged();
}

void AppSession::showAuthenticationUnavailable(AuthenticationUnavailableCause cause)
{
    if (m_authenticationUnavailableCause != cause) {
        m_authenticationUnavailableCause = cause;
        emit authenticationUnavailableCauseChanged();
    }
    setPhase(AppPhase::authenticationUnavailable());
}

void AppSession::setCurrentUser(std::optional<CurrentUser> user)
{
    if (m_currentUser == user) {
        return;
    }
    m_currentUser = std::move(user);
    emit currentUserChanged();
}

void AppSession::setIsRefreshingAccount(bool refreshing)
{
    if (m_isRefreshingAccount == refreshing) {
        return;
    }
    m_isRefreshingAccount = refreshing;
    emit isRefreshingAccountChanged();
}

void AppSession::setAccountRefreshError(std::optional<ErrorMessage> error)
{
    if (m_accountRefreshError == error) {
        return;
    }
    m_accountRefreshError = std::move(error);
    emit accountRefreshErrorChanged();
}

void AppSession::setSelectedTarget(std::optional<CaptureTarget> target)
{
    if (m_selectedTarget == target) {
        return;
    }
    m_selectedTarget = std::move(target);
    emit selectedTargetChanged();
}

void AppSession::setOverlayCaptureAreaState(std::optional<OverlayCaptureAreaState> state)
{
    if (m_overlayCaptureAreaState == state) {
        return;
    }
    m_overlayCaptureAreaState = std::move(state);
    emit overlayCaptureAreaStateChanged();
}

void AppSession::raiseSelectionRevision()
{
    ++m_selectionRevision;
    emit selectionRevisionChanged();
}

// MARK: - Authentication

void AppSession::start()
{
    if (m_isTerminating) {
        return;
    }
    if (!m_authenticationCoordinator->session()) {
        if (m_phase.kind() == AppPhase::Kind::checkingPermission) {
            evaluateScreenRecordingPermission();
        }
        return;
    }
    if (m_phase.kind() != AppPhase::Kind::restoringAuthentication) {
        return;
    }
    startTaskOnActor(
        this,
        [](QPointer<AppSession> self, CancellationToken) -> QCoro::Task<void> {
            const std::shared_ptr<ServerAuthenticationSession> session = self->m_authenticationCoordinator->session();
            if (!session) {
                co_return;
            }
            const AuthenticationRestoreResult result = co_await session->restore();
            if (self) {
                self->handleRestoreResult(result);
            }
        },
        m_logger);
}

void AppSession::handleRestoreResult(AuthenticationRestoreResult result)
{
    if (m_isTerminating || m_phase.kind() != AppPhase::Kind::restoringAuthentication) {
        return;
    }
    switch (result) {
    case AuthenticationRestoreResult::restored:
        setAuthenticationError(std::nullopt);
        beginPermissionCheck();
        break;
    case AuthenticationRestoreResult::noSession:
        setPhase(AppPhase::signedOut());
        break;
    case AuthenticationRestoreResult::unavailable:
        showAuthenticationUnavailable(AuthenticationUnavailableCause::server);
        break;
    case AuthenticationRestoreResult::keyringUnavailable:
        showAuthenticationUnavailable(AuthenticationUnavailableCause::keyring);
        break;
    case AuthenticationRestoreResult::notConfigured:
        setPhase(AppPhase::authenticationConfigurationUnavailable());
        break;
    }
}

void AppSession::beginPermissionCheck()
{
    if (m_isTerminating) {
        return;
    }
    setPhase(AppPhase::checkingPermission());
    fetchAccountProfileAfterAuthentication();
    evaluateScreenRecordingPermission();
}

void AppSession::evaluateScreenRecordingPermission()
{
    if (m_isTerminating || m_phase.kind() != AppPhase::Kind::checkingPermission) {
        return;
    }
    // The provider asks the X server: the answer comes back on a later turn, so every step
    // re-checks that the session is still where the check began.
    startDetachedTask(
        this,
        [](QPointer<AppSession> self) -> QCoro::Task<void> {
            const std::shared_ptr<ScreenRecordingPermissionProviding> provider = self->m_permissionProvider;
            const bool granted = co_await provider->preflight();
            if (!self || self->m_isTerminating || self->m_phase.kind() != AppPhase::Kind::checkingPermission) {
                co_return;
            }
            if (granted) {
                self->setPhase(AppPhase::choosing());
                co_return;
            }
            self->setPhase(AppPhase::requestingPermission());
            const bool requestGranted = co_await provider->request();
            if (!self || self->m_isTerminating || self->m_phase.kind() != AppPhase::Kind::requestingPermission) {
                co_return;
            }
            if (!requestGranted) {
                self->setPhase(AppPhase::permissionDenied());
                co_return;
            }
            const std::shared_ptr<PermissionRestartPresenting> presenter = self->m_restartPresenter;
            co_await presenter->presentRestartPrompt();
            if (self) {
                self->terminate();
            }
        },
        m_logger);
}

void AppSession::signIn(QWidget *presentingWindow)
{
    if (m_isTerminating) {
        return;
    }
    const AppPhase::Kind kind = m_phase.kind();
    if ((kind != AppPhase::Kind::signedOut && kind != AppPhase::Kind::webRegistrationRequired)
        || !m_authenticationCoordinator->session()) {
        return;
    }
    const AppPhase phaseBeforeSignIn = m_phase;
    if (kind == AppPhase::Kind::webRegistrationRequired && m_authenticationCoordinator->googleProvider()) {
        m_authenticationCoordinator->googleProvider()->signOut();
    }
    setAuthenticationError(std::nullopt);
    setPhase(AppPhase::authenticating());

    const QPointer<QWidget> window(presentingWindow);
    m_phaseBeforeSignIn = phaseBeforeSignIn;
    m_signInTask = startTaskOnActor(
        this,
        [window, phaseBeforeSignIn](QPointer<AppSession> self, CancellationToken token) -> QCoro::Task<void> {
            std::exception_ptr failure;
            try {
                co_await self->m_authenticationCoordinator->signInWithGoogle(window, token);
            } catch (...) {
                failure = std::current_exception();
            }
            // Whatever ended the sign-in meanwhile (terminate, a log-out through an
            // account event) decides; the outcome then moves nothing.
            if (!self || token.isCancelled() || self->m_isTerminating
                || self->m_phase.kind() != AppPhase::Kind::authenticating) {
                co_return;
            }
            if (failure) {
                self->finishFailedSignIn(failure, phaseBeforeSignIn);
                co_return;
            }
            self->setAuthenticationError(std::nullopt);
            self->beginPermissionCheck();
        },
        m_logger);
}

void AppSession::cancelSignIn()
{
    if (m_isTerminating || m_phase.kind() != AppPhase::Kind::authenticating || !m_signInTask) {
        return;
    }
    // The task sees its token cancelled and moves nothing when its outcome comes.
    std::exchange(m_signInTask, std::nullopt)->cancel();
    setPhase(m_phaseBeforeSignIn);
}

void AppSession::finishFailedSignIn(std::exception_ptr failure, const AppPhase &phaseBeforeSignIn)
{
    try {
        std::rethrow_exception(failure);
    } catch (const GoogleSignInError &error) {
        if (error.kind() == GoogleSignInError::Kind::cancelled) {
            setPhase(phaseBeforeSignIn);
        } else {
            setAuthenticationError(ErrorMessage::describing(std::current_exception()));
            setPhase(AppPhase::signedOut());
        }
    } catch (const UnansweredKeychainError &) {
        // Signed in at the server, with the token's save not answered yet: the session
        // keeps the pair for the keyring, and a retry restores it once the keyring answers.
        setAuthenticationError(std::nullopt);
        showAuthenticationUnavailable(AuthenticationUnavailableCause::keyring);
    } catch (const AuthenticationClientError &error) {
        if (error.kind() == AuthenticationClientError::Kind::webRegistrationRequired) {
            setAuthenticationError(std::nullopt);
            setPhase(AppPhase::webRegistrationRequired());
        } else {
            setAuthenticationError(ErrorMessage::describing(std::current_exception()));
            setPhase(AppPhase::signedOut());
        }
    } catch (...) {
        setAuthenticationError(ErrorMessage::describing(std::current_exception()));
        setPhase(AppPhase::signedOut());
    }
}

void AppSession::retryAuthentication()
{
    if (m_isTerminating || !m_authenticationCoordinator->session()
        || m_phase.kind() != AppPhase::Kind::authenticationUnavailable) {
        return;
    }
    setAuthenticationError(std::nullopt);
    setPhase(AppPhase::restoringAuthentication());
    start();
}

void AppSession::openWebSignUp()
{
    if (m_phase.kind() != AppPhase::Kind::webRegistrationRequired) {
        return;
    }
    if (const auto &opener = m_authenticationCoordinator->webPageOpener()) {
        opener->openSignUpPage();
    }
}

void AppSession::handleAuthenticationRuntimeEvent(AuthenticationRuntimeEvent event)
{
    if (m_isTerminating) {
        return;
    }
    resetAccountState();
    switch (event) {
    case AuthenticationRuntimeEvent::unavailable:
        showAuthenticationUnavailable(AuthenticationUnavailableCause::server);
        break;
    case AuthenticationRuntimeEvent::keyringUnavailable:
        showAuthenticationUnavailable(AuthenticationUnavailableCause::keyring);
        break;
    case AuthenticationRuntimeEvent::sessionInvalid:
        if (const auto &provider = m_authenticationCoordinator->googleProvider()) {
            provider->signOut();
        }
        setAuthenticationError(std::nullopt);
        setPhase(AppPhase::signedOut());
        break;
    }
    bringMainWindowForward();
}

void AppSession::logOut()
{
    if (!m_phase.isSignedIn() || m_isTerminating) {
        return;
    }
    resetAccountState();
    m_authenticationCoordinator->signOut();
    setAuthenticationError(std::nullopt);
    setPhase(AppPhase::signedOut());
    bringMainWindowForward();
}

void AppSession::resetAccountState()
{
    for (std::optional<ActorTask> *task : {&m_profileFetchTask, &m_accountRefreshTask}) {
        if (*task) {
            (*task)->cancel();
            task->reset();
        }
    }
    setIsRefreshingAccount(false);
    setAccountRefreshError(std::nullopt);
    stopPlay();
    if (const auto &gameplay = m_services.gameplaySessionCoordinator) {
        gameplay->resetGameTitle();
    }
    dropReports();
    closeOverlayExtras();
    setSelectedTarget(std::nullopt);
    setOverlayCaptureAreaState(std::nullopt);
    setCurrentUser(std::nullopt);
    raiseSelectionRevision();
}

void AppSession::fetchAccountProfileAfterAuthentication()
{
    if (m_profileFetchTask) {
        m_profileFetchTask->cancel();
    }
    m_profileFetchTask = startTaskOnActor(
        this,
        [](QPointer<AppSession> self, CancellationToken token) -> QCoro::Task<void> {
            const std::shared_ptr<AccessCoordinator> access = self->m_services.accessCoordinator;
            if (!access) {
                co_return;
            }
            try {
                CurrentUser user = co_await access->fetchCurrentUser(token);
                if (self && !token.isCancelled()) {
                    self->setCurrentUser(std::move(user));
                }
            } catch (const std::exception &error) {
                if (self && !token.isCancelled()) {
                    qCWarning(self->m_logger) << "Account profile fetch failed:" << describeError(error);
                }
            }
        },
        m_logger);
}

void AppSession::refreshAccountProfile()
{
    // One refresh at a time: a second request while one runs changes nothing.
    if (m_isTerminating || m_isRefreshingAccount) {
        return;
    }
    setIsRefreshingAccount(true);
    setAccountRefreshError(std::nullopt);
    m_accountRefreshTask = startTaskOnActor(
        this,
        [](QPointer<AppSession> self, CancellationToken token) -> QCoro::Task<void> {
            const std::shared_ptr<AccessCoordinator> access = self->m_services.accessCoordinator;
            std::optional<CurrentUser> user;
            try {
                if (!access) {
                    throw AccessClientError(AccessClientError::Kind::invalidConfiguration);
                }
                user = co_await access->fetchCurrentUser(token);
            } catch (const std::exception &error) {
                if (!self || token.isCancelled()) {
                    co_return;
                }
                qCWarning(self->m_logger) << "Account refresh failed:" << describeError(error);
            }
            if (!self || token.isCancelled()) {
                co_return;
            }
            self->m_accountRefreshTask.reset();
            self->setIsRefreshingAccount(false);
            if (user) {
                self->setCurrentUser(std::move(user));
            } else {
                self->setAccountRefreshError(
                    ErrorMessage::text(QT_TRANSLATE_NOOP("Veyra", "Veyra couldn't refresh your account. Try again.")));
            }
        },
        m_logger);
}

// MARK: - Play

void AppSession::stopPlay()
{
    const auto &gameplay = m_services.gameplaySessionCoordinator;
    if (!gameplay) {
        return;
    }
    if (const auto &pipeline = gameplay->capturePipeline()) {
        pipeline->stop();
    }
    if (const auto &translations = gameplay->translationCoordinator()) {
        translations->cancelAllTranslations();
    }
}

void AppSession::dropReports()
{
    if (const auto &reports = m_services.translationReportCoordinator) {
        reports->reset();
    }
}

void AppSession::closeOverlayExtras()
{
    if (const auto &overlay = m_services.overlayController) {
        overlay->closeTranslationReport();
        overlay->gameMemoPresenter().close();
        overlay->hide();
    }
}

void AppSession::bringMainWindowForward()
{
    m_mainWindowRouter.open();
}

void AppSession::showOverlay(
    const CaptureTarget &target, const OverlayCaptureAreaState &state, const QStringList &areaIDs)
{
    if (const auto &overlay = m_services.overlayController) {
        overlay->show(target, state, areaIDs);
    }
}

bool AppSession::isOverlayReady() const
{
    return m_overlayCaptureAreaState && m_overlayCaptureAreaState->isReady();
}

void AppSession::selectTarget(const CaptureTarget &target)
{
    // Only a signed-in player who has passed the capture permission chooses a window.
    if (m_isTerminating || !m_phase.isChoosingOrPlaying()) {
        return;
    }
    dropReports();
    setSelectedTarget(target);
    setPhase(AppPhase::overlay(target));
    if (const auto &gameplay = m_services.gameplaySessionCoordinator) {
        gameplay->resolveGameTitle(target);
    }
    prepareOverlay(target);
}

void AppSession::prepareOverlay(CaptureTarget target)
{
    if (m_isTerminating) {
        return;
    }
    stopPlay();
    dropReports();

    const std::optional<GameWindowProfileKey> key = target.profileKey();
    if (!key) {
        const auto state = OverlayCaptureAreaState::loadFailed(
            ErrorMessage::text(QT_TRANSLATE_NOOP("Veyra", "Veyra couldn't identify the selected application.")));
        setOverlayCaptureAreaState(state);
        showOverlay(target, state, {});
        return;
    }
    const auto &gameplay = m_services.gameplaySessionCoordinator;
    std::optional<CaptureAreaProfile> profile;
    try {
        if (gameplay && gameplay->captureAreaStore()) {
            profile = gameplay->captureAreaStore()->profile(*key);
        }
    } catch (const std::exception &) {
        const auto state = OverlayCaptureAreaState::loadFailed(
            ErrorMessage::text(QT_TRANSLATE_NOOP("Veyra", "Veyra couldn't load the capture areas: %@"),
                {ErrorMessage::describing(std::current_exception())}));
        setOverlayCaptureAreaState(state);
        showOverlay(target, state, {});
        return;
    }
    if (!profile || profile->areas.isEmpty()) {
        const auto state = OverlayCaptureAreaState::requiresCaptureAreas();
        setOverlayCaptureAreaState(state);
        showOverlay(target, state, {});
        return;
    }
    QStringList areaIDs;
    for (const CaptureArea &area : profile->areas) {
        areaIDs.append(area.id);
    }
    setOverlayCaptureAreaState(OverlayCaptureAreaState::ready());
    showOverlay(target, OverlayCaptureAreaState::ready(), areaIDs);
    startGameplay(target, *profile);
}

void AppSession::startGameplay(const CaptureTarget &target, const CaptureAreaProfile &profile)
{
    if (const auto &gameplay = m_services.gameplaySessionCoordinator) {
        gameplay->start(target, profile);
    }
}

void AppSession::chooseAnotherWindow()
{
    // The editor window stays open across a log-out: its request then finds nobody to
    // choose for, and the sign-in or permission screen stays.
    if (m_isTerminating || !m_phase.isChoosingOrPlaying()) {
        return;
    }
    stopPlay();
    dropReports();
    if (const auto &gameplay = m_services.gameplaySessionCoordinator) {
        gameplay->resetGameTitle();
    }
    closeOverlayExtras();
    setSelectedTarget(std::nullopt);
    setOverlayCaptureAreaState(std::nullopt);
    raiseSelectionRevision();
    setPhase(AppPhase::choosing());
    bringMainWindowForward();
}

void AppSession::handleCaptureEvent(const CapturePipelineEvent &event)
{
    if (m_isTerminating) {
        return;
    }
    if (event.kind() == CapturePipelineEvent::Kind::targetUnavailable) {
        if (!m_selectedTarget) {
            return;
        }
        stopPlay();
        dropReports();
        if (const auto &gameplay = m_services.gameplaySessionCoordinator) {
            gameplay->resetGameTitle();
        }
        setOverlayCaptureAreaState(OverlayCaptureAreaState::targetUnavailable());
        showOverlay(*m_selectedTarget, OverlayCaptureAreaState::targetUnavailable(), {});
        return;
    }
    if (!isOverlayReady()) {
        return;
    }
    const CaptureAreaText areaText = event.text();
    const auto &reports = m_services.translationReportCoordinator;
    if (reports) {
        reports->cancelReportIfSourceTextChanged(areaText.areaID, areaText.text);
    }
    const auto &overlay = m_services.overlayController;
    if (!overlay || !overlay->updateRecognizedText(areaText.areaID, areaText.text)) {
        return;
    }
    if (reports) {
        reports->retainScreenshot(areaText);
    }
    const auto &gameplay = m_services.gameplaySessionCoordinator;
    const auto translations = gameplay ? gameplay->translationCoordinator() : nullptr;
    if (!translations) {
        overlay->markTranslationFailed(areaText.areaID, areaText.text);
        return;
    }
    const TranslationTargetLanguage language = gameplay->translationSettings()
        ? gameplay->translationSettings()->targetLanguage()
        : TranslationTargetLanguage::english;
    translations->submitTranslation(
        areaText.areaID, areaText.text, gameplay->representativeGameName(), language, false);
}

void AppSession::handleTranslationEvent(const TranslationCoordinatorEvent &event)
{
    if (m_isTerminating || !isOverlayReady()) {
        return;
    }
    const auto &overlay = m_services.overlayController;
    if (!overlay) {
        return;
    }
    if (event.kind == TranslationCoordinatorEvent::Kind::failed) {
        overlay->markTranslationFailed(event.areaID, event.sourceText);
        return;
    }
    if (!event.translation) {
        return;
    }
    const CompletedTranslation &translation = *event.translation;
    std::optional<QUuid> translationID;
    if (const auto &reports = m_services.translationReportCoordinator;
        reports && reports->retainedScreenshot(event.areaID, translation.sourceText)) {
        translationID = translation.translationID;
    }
    overlay->applyTranslation(event.areaID, translation, translationID);
}

void AppSession::handleTranslationReportEvent(const TranslationReportCoordinatorEvent &event)
{
    if (m_isTerminating) {
        return;
    }
    const auto &overlay = m_services.overlayController;
    if (!overlay) {
        return;
    }
    switch (event.kind) {
    case TranslationReportCoordinatorEvent::Kind::submitted: {
        const TranslationReportTarget &target = *event.target;
        if (!overlay->prepareRetranslation(target)) {
            return;
        }
        const auto &gameplay = m_services.gameplaySessionCoordinator;
        if (const auto translations = gameplay ? gameplay->translationCoordinator() : nullptr) {
            translations->resubmitTranslation(
                target.areaID, target.sourceText, target.gameTitle, target.targetLanguage);
        } else {
            overlay->markTranslationFailed(target.areaID, target.sourceText);
        }
        return;
    }
    case TranslationReportCoordinatorEvent::Kind::failed:
        failReportRequest(*event.target);
        return;
    case TranslationReportCoordinatorEvent::Kind::cancelled:
        overlay->closeTranslationReport();
        return;
    }
}

void AppSession::failReportRequest(const TranslationReportTarget &target)
{
    if (const auto &overlay = m_services.overlayController) {
        overlay->showTranslationReportFailure(target);
    }
}

void AppSession::requestTranslationErrorReport(const TranslationReportTarget &target)
{
    if (!m_isTerminating && isOverlayReady() && m_services.translationReportCoordinator) {
        m_services.translationReportCoordinator->submitReport(target);
        return;
    }
    failReportRequest(target);
}

void AppSession::openCaptureAreaEditor()
{
    if (!canEditCaptureAreas() || m_isTerminating || !m_captureAreaEditorRouter.openAction()) {
        return;
    }
    m_captureAreaEditorRouter.open();
}

std::optional<GameMemoContext> AppSession::gameMemoContext() const
{
    if (!m_selectedTarget) {
        return std::nullopt;
    }
    const auto &gameplay = m_services.gameplaySessionCoordinator;
    return GameMemoContext::make(
        *m_selectedTarget, gameplay ? gameplay->representativeGameName() : std::optional<QString>());
}

bool AppSession::canEditCaptureAreas() const
{
    if (!m_selectedTarget) {
        return false;
    }
    return !m_overlayCaptureAreaState
        || m_overlayCaptureAreaState->kind() != OverlayCaptureAreaState::Kind::targetUnavailable;
}

void AppSession::terminate()
{
    if (m_isTerminating) {
        return;
    }
    m_isTerminating = true;
    stopPlay();
    if (const auto &gameplay = m_services.gameplaySessionCoordinator) {
        gameplay->resetGameTitle();
    }
    dropReports();
    closeOverlayExtras();
    if (m_terminationHandler) {
        m_terminationHandler();
    }
}

} // namespace veyra
