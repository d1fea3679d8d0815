#pragma once

#include "app/launch/UITestingLaunchOptions.h"
#include "foundation/async/LastSaves.h"
#include "foundation/identity/AppIdentity.h"

#include <QObject>

#include <memory>

namespace veyra {

class AccessCoordinator;
class AppSession;
class AppUpdateModel;
class CaptureAreaGuideStoring;
class CaptureAreaStoring;
class ClientLanguageSettingsModel;
class FixedCapturePipelineTiming;
class GameMemoLibraryModel;
class GameplaySessionCoordinator;
class OverlayPanelController;
class OverlaySettingsModel;
class TranslationReportCoordinator;
class TranslationSettingsModel;
class UserDefaults;
class WebPageOpening;
class WindowCatalogProviding;
class WindowSnapshotCapturing;
struct AuthenticationStack;

// The composition root: builds every long-lived object of the application once, in
// dependency order, choosing per service between the live implementation, the fixture of
// the self-contained UI-testing mode and, where a configuration value is missing or
// invalid, an unavailable one that fails every call. Nothing here can fail. The session is
// built on first use. While it lives, the notes' writing of unwritten edits is a last save
// (runLastSaves(); the standard user defaults are one of their own). GUI thread; lives as
// long as the process.
class ObriskApp : public QObject
{
    Q_OBJECT

public:
    ObriskApp(
        const QStringList &arguments, const InfoDictionary &info, UserDefaults &defaults, QObject *parent = nullptr);
    ~ObriskApp() override;

    const UITestingLaunchOptions &launchOptions() const { return m_options; }
    const InfoDictionary &info() const { return m_info; }
    UserDefaults &userDefaults() const { return m_defaults; }

    // The state objects of the process.
    AppSession &session();
    const std::shared_ptr<AppSession> &sharedSession();
    TranslationSettingsModel &translationSettings() const { return *m_translationSettings; }
    OverlaySettingsModel &overlaySettings() const { return *m_overlaySettings; }
    ClientLanguageSettingsModel &clientLanguageSettings() const { return *m_clientLanguageSettings; }
    GameMemoLibraryModel &gameMemoLibrary() const { return *m_gameMemoLibrary; }
    AppUpdateModel &appUpdateModel() const { return *m_appUpdateModel; }

    // The services the scenes are built with.
    const std::shared_ptr<WindowCatalogProviding> &windowCatalog() const { return m_windowCatalog; }
    const std::shared_ptr<WindowSnapshotCapturing> &snapshotter() const { return m_snapshotter; }
    const std::shared_ptr<CaptureAreaStoring> &captureAreaStore() const { return m_captureAreaStore; }
    const std::shared_ptr<CaptureAreaGuideStoring> &captureAreaGuideStore() const { return m_captureAreaGuideStore; }
    const std::shared_ptr<WebPageOpening> &webPageOpener() const { return m_webPageOpener; }
    const std::shared_ptr<GameplaySessionCoordinator> &gameplaySessionCoordinator() const
    {
        return m_gameplaySessionCoordinator;
    }
    const std::shared_ptr<OverlayPanelController> &overlayController() const { return m_overlayController; }

private:
    const UITestingLaunchOptions m_options;
    const InfoDictionary m_info;
    UserDefaults &m_defaults;
    std::shared_ptr<FixedCapturePipelineTiming> m_timing;
    std::shared_ptr<WebPageOpening> m_webPageOpener;
    std::unique_ptr<AppUpdateModel> m_appUpdateModel;
    std::unique_ptr<AuthenticationStack> m_authentication;
    std::shared_ptr<AccessCoordinator> m_accessCoordinator;
    std::shared_ptr<WindowCatalogProviding> m_windowCatalog;
    std::shared_ptr<TranslationSettingsModel> m_translationSettings;
    std::unique_ptr<ClientLanguageSettingsModel> m_clientLanguageSettings;
    std::unique_ptr<OverlaySettingsModel> m_overlaySettings;
    std::unique_ptr<GameMemoLibraryModel> m_gameMemoLibrary;
    std::shared_ptr<WindowSnapshotCapturing> m_snapshotter;
    std::shared_ptr<CaptureAreaStoring> m_captureAreaStore;
    std::shared_ptr<CaptureAreaGuideStoring> m_captureAreaGuideStore;
    std::shared_ptr<GameplaySessionCoordinator> m_gameplaySessionCoordinator;
    std::shared_ptr<TranslationReportCoordinator> m_translationReportCoordinator;
    std::shared_ptr<OverlayPanelController> m_overlayController;
    std::shared_ptr<AppSession> m_session;
    // Last, so that it goes before what it saves.
    LastSave m_notesLastSave;
};

} // namespace veyra
