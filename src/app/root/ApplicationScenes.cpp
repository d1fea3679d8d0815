#include "app/root/ApplicationScenes.h"

#include "app/flow/MainFlowView.h"
#include "app/launch/QuitReport.h"
#include "app/menu/ObriskCommands.h"
#include "app/menu/StatusMenuTrayIcon.h"
#include "app/menu/StatusMenuView.h"
#include "app/root/AuthenticationScreenBinding.h"
#include "app/root/HiddenWindowRelease.h"
#include "app/root/ObriskApp.h"
#include "app/root/WindowRoles.h"
#include "app/session/AppSession.h"
#include "brand/InterfaceFont.h"
#include "brand/WindowFit.h"
#include "editor/guide/CaptureAreaGuideModel.h"
#include "editor/model/CaptureAreaEditorModel.h"
#include "editor/views/CaptureAreaEditorView.h"
#include "foundation/files/FileIO.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/language/InterfaceLanguageChange.h"
#include "foundation/language/LocalizedString.h"
#include "foundation/settings/UserDefaults.h"
#include "foundation/text/PlainText.h"
#include "notes/views/GameMemoLibraryView.h"
#include "overlay/panels/OverlayPanelController.h"
#include "settings/window/SettingsView.h"
#include "settings/window/SettingsWindowPlacement.h"
#include "update/model/AppUpdateModel.h"
#include "update/version/AppVersionInfo.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QWindow>

namespace veyra {

namespace {

// Where a window of `size` goes inside `area` without covering `taken`: centred across,
// in the middle of the room above `taken`, else of the room below it, else at the top.
QPoint placeOutside(const QRect &area, const QRect &taken, const QSize &size)
{
    // Room for the window manager's frame around the window.
    constexpr int margin = 40;
    const int left = area.center().x() - size.width() / 2;
    if (taken.isEmpty()) {
        return {left, area.center().y() - size.height() / 2};
    }
    const int above = taken.top() - area.top();
    const int below = area.bottom() - taken.bottom();
    if (above >= size.height() + margin) {
        return {left, area.top() + (above - size.height()) / 2};
    }
    if (below >= size.height() + margin) {
        return {left, taken.bottom() + (below - size.height()) / 2};
    }
    return {left, area.top() + margin};
}

// An alert centred over the window it belongs to, by client areas, where that window is when
// the alert shows: Qt's own placement of a dialog guesses the window manager's frame and
// misses the centre by up to 40 px. Kept inside the screen's free area, title bar and all.
class CentredAlert : public QMessageBox
{
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent *event) override
    {
        QMessageBox::showEvent(event);
        const QWidget *over = parentWidget();
        if (event->spontaneous() || over == nullptr) {
            return;
        }
        QRect area(QPoint(), size());
        area.moveCenter(over->geometry().center());
        const QRect available = WindowFit::availableArea(*over);
        if (!available.isEmpty()) {
            area = WindowFit::keptInside(area, WindowFit::frameMargins(*over), available);
        }
        setGeometry(area);
    }
};

} // namespace

ApplicationScenes::ApplicationScenes(ObriskApp &app, QObject *parent)
    : QObject(parent)
    , m_app(app)
    , m_windowRelease(new HiddenWindowRelease(this))
    , m_settingsPlacement(new SettingsWindowPlacement(this))
{
    // Every window's identity is readable from outside, before the first one is made.
    new WindowRoles(this);
    // Every text in one family that writes the interface language, before any is drawn.
    new InterfaceFontFollower(this);
    AppMenuActions actions;
    actions.openWindow = [this](const QString &identifier) { openWindow(identifier); };
    actions.openSettings = [this] { openSettings(); };
    actions.terminateApplication = [] { QuitReport::quit(QStringLiteral("the Quit command")); };

    // The status menu lives in the tray; where there is none, the main window's menu
    // offers its items (the tray may still appear later and then embeds the icon). During
    // play the main window is gone and a full-screen game covers any tray: the overlay's
    // control strip opens the same menu on a right click.
    m_statusMenu = new StatusMenuView(&m_app.session(), &m_app.appUpdateModel(), actions);
    m_trayIcon = std::make_unique<StatusMenuTrayIcon>(m_statusMenu);
    m_trayIcon->setToolTip(appDisplayName());
    m_trayIcon->show();
    m_app.overlayController()->setStripMenu(m_statusMenu);
    makeMainWindow();
    m_app.userDefaults().setWriteFailureHandler([this](const FileAccessError &error) { tellSettingsNotSaved(error); });
}

ApplicationScenes::~ApplicationScenes()
{
    m_app.userDefaults().setWriteFailureHandler({});
    delete m_settingsNotSavedAlert;
    m_trayIcon.reset();
    delete m_statusMenu;
    delete m_settings;
    delete m_gameNotes;
    delete m_captureAreaEditor;
    delete m_mainWindow;
}

QMainWindow *ApplicationScenes::mainWindow() const
{
    return m_mainWindow;
}

CaptureAreaEditorView *ApplicationScenes::captureAreaEditorWindow() const
{
    return m_captureAreaEditor;
}

GameMemoLibraryView *ApplicationScenes::gameNotesWindow() const
{
    return m_gameNotes;
}

SettingsView *ApplicationScenes::settingsWindow() const
{
    return m_settings;
}

StatusMenuTrayIcon *ApplicationScenes::trayIcon() const
{
    return m_trayIcon.get();
}

QMessageBox *ApplicationScenes::settingsNotSavedAlert() const
{
    return m_settingsNotSavedAlert;
}

void ApplicationScenes::tellSettingsNotSaved(const FileAccessError &error)
{
    if (m_toldSettingsNotSaved) {
        return;
    }
    m_toldSettingsNotSaved = true;
    // An alert that doesn't interrupt: it neither blocks a window nor takes the keyboard
    // (from the game during play), and it is told once. It belongs to the window the player
    // looks at, which keeps it above itself however the two came up: the main window while
    // it is on the screen or coming up (at the start: it is centred over it once that is on
    // the screen), else, during play, the game's window.
    const bool playing = m_app.session().phase().kind() == AppPhase::Kind::overlay;
    QMainWindow *main = m_mainWindow && (m_mainWindow->isVisible() || !playing) ? m_mainWindow.data() : nullptr;
    const std::optional<CaptureTarget> game = main == nullptr ? gameInPlay() : std::nullopt;
    auto *alert = new CentredAlert(QMessageBox::Warning, QString(), QString(), QMessageBox::NoButton, main);
    if (game) {
        belongToTheGame(alert, *game);
    }
    alert->setObjectName(QStringLiteral("settings-not-saved"));
    alert->setTextFormat(Qt::PlainText);
    // A button of our own: Qt relabels its standard buttons in its own language.
    QPushButton *ok = alert->addButton(QString(), QMessageBox::AcceptRole);
    alert->setDefaultButton(ok);
    alert->setEscapeButton(ok);
    // Settings that no file can back for this run are never tried again.
    const char *const outcome = m_app.userDefaults().isBackedByFile()
        ? QT_TRANSLATE_NOOP("Veyra",
            "%@ Veyra tries again with every change; until that works, changed settings are lost when Veyra quits.")
        : QT_TRANSLATE_NOOP("Veyra",
            "%@ Veyra keeps its settings in memory only for this run: changed settings are lost when Veyra quits.");
    const auto relabel = [alert, ok, error, outcome] {
        alert->setWindowTitle(appDisplayName());
        alert->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Veyra couldn't save its settings.")));
        alert->setInformativeText(richTextOfPlainText(localizedFormat(outcome, {error.localizedDescription()})));
        ok->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "OK")));
    };
    relabel();
    relabelOnLanguageChange(alert, relabel);
    alert->setWindowModality(Qt::NonModal);
    alert->setAttribute(Qt::WA_ShowWithoutActivating);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setAttribute(Qt::WA_QuitOnClose, false);
    m_settingsNotSavedAlert = alert;
    if (main != nullptr) {
        // Placed over the main window where the window manager has put it: until then Qt
        // knows only where it asked the window to go.
        WindowFit::whenFramed(*main, alert, [alert] { alert->show(); });
    } else {
        alert->show();
    }
}

std::optional<CaptureTarget> ApplicationScenes::gameInPlay() const
{
    const AppSession &session = m_app.session();
    const std::optional<CaptureTarget> target = session.selectedTarget();
    const std::optional<OverlayCaptureAreaState> &state = session.overlayCaptureAreaState();
    if (session.phase().kind() != AppPhase::Kind::overlay || !target
        || (state && state->kind() == OverlayCaptureAreaState::Kind::targetUnavailable)) {
        return std::nullopt;
    }
    return target;
}

void ApplicationScenes::belongToTheGame(QWidget *alert, const CaptureTarget &target)
{
    alert->winId();
    QWindow *game = QWindow::fromWinId(static_cast<WId>(target.windowID));
    connect(alert, &QObject::destroyed, game, &QObject::deleteLater);
    alert->windowHandle()->setTransientParent(game);
    // The overlay stays above every window during play: the alert goes where it is not.
    QRect overlay;
    for (const QWidget *window : m_app.overlayController()->windowsOnTop()) {
        if (window->isVisible()) {
            overlay |= window->frameGeometry();
        }
    }
    alert->adjustSize();
    alert->move(placeOutside(target.frame.toAlignedRect(), overlay, alert->frameSize()));
}

void ApplicationScenes::makeMainWindow()
{
    AppMenuActions actions;
    actions.openWindow = [this](const QString &identifier) { openWindow(identifier); };
    actions.openSettings = [this] { openSettings(); };
    actions.terminateApplication = [] { QuitReport::quit(QStringLiteral("the Quit command")); };

    MainFlowView::WindowActions windowActions;
    windowActions.openWindow = [this](const QString &identifier) { openWindow(identifier); };
    windowActions.dismissWindow = [this](const QString &identifier) { dismissWindow(identifier); };

    AppSession &session = m_app.session();
    m_mainWindow = new QMainWindow();
    m_mainWindow->setWindowTitle(appDisplayName());
    m_mainWindow->resize(720, 520);
    auto *flow = new MainFlowView(
        &session, &m_app.appUpdateModel(), m_app.windowCatalog(), windowActions,
        [&session](QWidget *parent) { return makeAuthenticationScreen(session, parent); }, m_mainWindow);
    m_mainWindow->setCentralWidget(flow);
    m_windowRelease->watch(m_mainWindow);
    m_mainWindow->menuBar()->addMenu(new ObriskCommands(
        &session, &m_app.appUpdateModel(), actions, QSystemTrayIcon::isSystemTrayAvailable(), m_mainWindow));
}

QWidget *ApplicationScenes::window(const QString &identifier)
{
    if (identifier == QLatin1String(mainWindowIdentifier)) {
        if (!m_mainWindow) {
            makeMainWindow();
        }
        return m_mainWindow;
    }
    if (identifier == QLatin1String(captureAreaEditorWindowIdentifier)) {
        if (!m_captureAreaEditor) {
            m_captureAreaEditor = new CaptureAreaEditorView(m_app.sharedSession(),
                std::make_unique<CaptureAreaEditorModel>(m_app.snapshotter(), m_app.captureAreaStore()),
                std::make_unique<CaptureAreaGuideModel>(m_app.captureAreaGuideStore()));
            m_captureAreaEditor->setObjectName(QLatin1String(captureAreaEditorWindowIdentifier));
            m_captureAreaEditor->resize(1180, 760);
            m_windowRelease->watch(m_captureAreaEditor);
            m_windowRelease->watch(&m_captureAreaEditor->guideSheet());
        }
        return m_captureAreaEditor;
    }
    if (identifier == QLatin1String(gameNotesWindowIdentifier)) {
        if (!m_gameNotes) {
            m_gameNotes = new GameMemoLibraryView(&m_app.gameMemoLibrary());
            m_gameNotes->setObjectName(QLatin1String(gameNotesWindowIdentifier));
            m_gameNotes->resize(760, 520);
            WindowFit::fitOnFirstShow(*m_gameNotes);
            m_windowRelease->watch(m_gameNotes);
        }
        return m_gameNotes;
    }
    return nullptr;
}

void ApplicationScenes::openWindow(const QString &identifier)
{
    if (QWidget *target = window(identifier)) {
        bringForward(target);
    }
}

void ApplicationScenes::dismissWindow(const QString &identifier)
{
    if (identifier == QLatin1String(mainWindowIdentifier) && m_mainWindow) {
        m_mainWindow->hide();
    } else if (identifier == QLatin1String(captureAreaEditorWindowIdentifier) && m_captureAreaEditor) {
        m_captureAreaEditor->hide();
    } else if (identifier == QLatin1String(gameNotesWindowIdentifier) && m_gameNotes) {
        m_gameNotes->hide();
    }
}

void ApplicationScenes::openSettings()
{
    if (!m_settings) {
        m_settings = new SettingsView(&m_app.translationSettings(), &m_app.overlaySettings(),
            &m_app.clientLanguageSettings(), &m_app.session(), AppVersionInfo::fromInfoDictionary(m_app.info()));
        m_settings->setObjectName(QLatin1String(settingsWindowIdentifier));
        m_settings->setWindowTitle(appDisplayName());
        m_windowRelease->watch(m_settings);
    }
    if (!m_settings->isVisible()) {
        m_settingsPlacement->place(*m_settings, screenInView());
    }
    bringForward(m_settings);
}

const QScreen *ApplicationScenes::screenInView() const
{
    if (m_mainWindow && m_mainWindow->isVisible()) {
        return m_mainWindow->screen();
    }
    // During play the overlay stands beside the game, on the game's screen.
    for (const QWidget *window : m_app.overlayController()->windowsOnTop()) {
        if (window->isVisible()) {
            return window->screen();
        }
    }
    return QGuiApplication::primaryScreen();
}

void ApplicationScenes::bringForward(QWidget *window)
{
    if (window->isMinimized()) {
        window->showNormal();
    } else {
        window->show();
    }
    window->raise();
    window->activateWindow();
}

} // namespace veyra
