#include "app/root/ObriskApp.h"

#include "account/coordinator/AuthenticationStackFactory.h"
#include "account/profile/AccessCoordinator.h"
#include "account/web/WebPageOpenerFactory.h"
#include "account/web/WebPageOpening.h"
#include "app/session/AppSession.h"
#include "capture/areas/CaptureAreaStoreFactory.h"
#include "capture/fixtures/FixtureWindowCatalog.h"
#include "capture/fixtures/FixtureWindowSnapshotter.h"
#include "capture/pipeline/CapturePipelineController.h"
#include "capture/pipeline/CapturePipelineFactory.h"
#include "capture/pipeline/FixedCapturePipelineTiming.h"
#include "capture/x11/XcbTopmostWindowKeeper.h"
#include "capture/x11/XcbWindowCatalog.h"
#include "capture/x11/XcbWindowSnapshotter.h"
#include "editor/guide/CaptureAreaGuideStoreFactory.h"
#include "foundation/language/ClientLanguageSettingsModel.h"
#include "notes/model/GameMemoLibraryModel.h"
#include "notes/store/GameMemoStoreFactory.h"
#include "overlay/layout/OverlayLayoutStoreFactory.h"
#include "overlay/layout/QScreenDisplayGeometryProvider.h"
#include "overlay/panels/OverlayPanelController.h"
#include "overlay/settings/OverlaySettingsModel.h"
#include "translation/http/ServerConfiguration.h"
#include "translation/reports/FixtureTranslationErrorReporter.h"
#include "translation/reports/HTTPTranslationErrorReporter.h"
#include "translation/reports/TranslationReportCoordinator.h"
#include "translation/reports/UnavailableTranslationErrorReporter.h"
#include "translation/session/GameplaySessionCoordinator.h"
#include "translation/titles/FixtureGameTitleResolver.h"
#include "translation/titles/GameTitleStoreFactory.h"
#include "translation/titles/HTTPGameTitleResolver.h"
#include "translation/titles/UnavailableGameTitleResolver.h"
#include "translation/translations/FixtureTranslationProvider.h"
#include "translation/translations/HTTPTranslationClient.h"
#include "translation/translations/TranslationCoordinator.h"
#include "translation/translations/TranslationSettingsModel.h"
#include "translation/translations/UnavailableTranslationProvider.h"
#include "update/factory/AppUpdateFactory.h"
#include "update/model/AppUpdateModel.h"

#include <QGuiApplication>

namespace veyra {

namespace {

const QString serverBaseURLKey = QStringLiteral("TranslationServerBaseURL");

// The server configuration, read anew for each client so that each decides on its own;
// a missing or invalid value is no configuration (the error is dropped).
std::optional<ServerConfiguration> readServerConfiguration(const InfoDictionary &info)
{
    try {
        return ServerConfiguration(info, serverBaseURLKey);
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

} // namespace

ObriskApp::ObriskApp(const QStringList &arguments, const InfoDictionary &info, UserDefaults &defaults, QObject *parent)
    : QObject(parent)
    , m_options(parseUITestingArguments(arguments))
    , m_info(info)
    , m_defaults(defaults)
{
    const bool fixture = m_options.isFixtureMode;

    m_timing = std::make_shared<FixedCapturePipelineTiming>(1000);
    m_webPageOpener = makeWebPageOpener(m_info, fixture);

    AppUpdateModelEnvironment updateEnvironment;
    updateEnvironment.defaults = &defaults;
    const std::shared_ptr<WebPageOpening> opener = m_webPageOpener;
    m_appUpdateModel = makeAppUpdateModel(
        m_info, fixture, m_options.updateAvailable, m_options.minimumVersionMode, [opener] { opener->openHomePage(); },
        std::move(updateEnvironment));

    m_authentication = std::make_unique<AuthenticationStack>(
        makeAuthenticationStack(m_info, fixture, m_options.webRegistrationRequired));
    const std::shared_ptr<HTTPTransport> authorised = m_authentication->session;
    m_accessCoordinator = std::make_shared<AccessCoordinator>(makeAccessAPI(m_info, fixture, authorised));

    if (fixture) {
        m_windowCatalog = std::make_shared<FixtureWindowCatalog>();
    } else {
        m_windowCatalog = std::make_shared<XcbWindowCatalog>();
    }
    m_translationSettings = makeTranslationSettingsModel(fixture, defaults);
    m_clientLanguageSettings = ClientLanguageSettingsModel::make(fixture, defaults);
    m_overlaySettings = makeOverlaySettingsModel(fixture, defaults);
    m_gameMemoLibrary = std::make_unique<GameMemoLibraryModel>(makeGameMemoStore(fixture), 400'000'000);

    if (fixture) {
        m_snapshotter = std::make_shared<FixtureWindowSnapshotter>();
    } else {
        m_snapshotter = std::make_shared<XcbWindowSnapshotter>();
    }
    m_captureAreaStore = makeCaptureAreaStore(fixture, m_options.multipleCaptureAreas);
    m_captureAreaGuideStore = makeCaptureAreaGuideStore(fixture, m_options.captureAreaGuideUnseen, defaults);

    std::shared_ptr<TranslationProviding> provider;
    if (fixture) {
        provider = std::make_shared<FixtureTranslationProvider>();
    } else if (const auto server = readServerConfiguration(m_info)) {
        provider = std::make_shared<HTTPTranslationClient>(*server, nullptr, authorised);
    } else {
        provider = std::make_shared<UnavailableTranslationProvider>();
    }
    auto translationCoordinator = std::make_shared<TranslationCoordinator>(provider);
    const std::shared_ptr<GameTitleStoring> gameTitleStore = makeGameTitleStore(fixture);
    std::shared_ptr<CapturePipelineController> pipeline
        = makeCapturePipelineController(m_snapshotter, fixture, m_timing);

    std::shared_ptr<GameTitleResolving> resolver;
    if (fixture) {
        resolver = std::make_shared<FixtureGameTitleResolver>();
    } else if (const auto server = readServerConfiguration(m_info)) {
        resolver = std::make_shared<HTTPGameTitleResolver>(*server, nullptr, authorised);
    } else {
        resolver = std::make_shared<UnavailableGameTitleResolver>();
    }
    m_gameplaySessionCoordinator = std::make_shared<GameplaySessionCoordinator>(
        m_captureAreaStore, pipeline, translationCoordinator, m_translationSettings, gameTitleStore, resolver);
    pipeline->setOnEvent(forwardCaptureEventToGameplaySession(m_gameplaySessionCoordinator.get()));
    translationCoordinator->setOnEvent(forwardTranslationEventToGameplaySession(m_gameplaySessionCoordinator.get()));

    std::shared_ptr<TranslationErrorReporting> reporter;
    if (fixture) {
        reporter = std::make_shared<FixtureTranslationErrorReporter>();
    } else if (const auto server = readServerConfiguration(m_info)) {
        reporter = std::make_shared<HTTPTranslationErrorReporter>(*server, nullptr, authorised);
    } else {
        reporter = std::make_shared<UnavailableTranslationErrorReporter>();
    }
    m_translationReportCoordinator = std::make_shared<TranslationReportCoordinator>(reporter);

    // The overlay's windows are kept on top by restacking them on the X display; the
    // offscreen platform of the tests has nothing to restack.
    std::shared_ptr<TopmostWindowKeeping> stacking;
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        stacking = std::make_shared<XcbTopmostWindowKeeper>();
    }
    m_overlayController = std::make_shared<OverlayPanelController>(*m_overlaySettings,
        makeOverlayLayoutStore(fixture, m_options.editorOverlayLayout), *m_gameMemoLibrary,
        std::make_shared<QScreenDisplayGeometryProvider>(), std::move(stacking));

    // What the player typed last is written, or kept aside, however the application ends.
    m_notesLastSave = LastSave([notes = m_gameMemoLibrary.get()] { notes->saveBeforeQuit(); });
}

ObriskApp::~ObriskApp() = default;

const std::shared_ptr<AppSession> &ObriskApp::sharedSession()
{
    if (!m_session) {
        AppSession::Services services;
        services.serverSession = m_authentication->session;
        services.googleProvider = m_authentication->googleProvider;
        services.webPageOpener = m_webPageOpener;
        services.eventRouter = m_authentication->eventRouter;
        services.gameplaySessionCoordinator = m_gameplaySessionCoordinator;
        services.translationReportCoordinator = m_translationReportCoordinator;
        services.accessCoordinator = m_accessCoordinator;
        services.windowCatalog = m_windowCatalog;
        services.overlayController = m_overlayController;
        m_session = std::make_shared<AppSession>(m_options, std::move(services));
    }
    return m_session;
}

AppSession &ObriskApp::session()
{
    return *sharedSession();
}

} // namespace veyra
