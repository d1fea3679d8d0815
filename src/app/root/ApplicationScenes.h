#pragma once

#include "capture/target/CaptureTarget.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>

class QMainWindow;
class QMessageBox;
class QScreen;
class QWidget;

namespace veyra {

class CaptureAreaEditorView;
class FileAccessError;
class GameMemoLibraryView;
class HiddenWindowRelease;
class ObriskApp;
class SettingsView;
class SettingsWindowPlacement;
class StatusMenuTrayIcon;
class StatusMenuView;

// The application's windows, by identifier, over the composition root's objects: the main
// window "main" (the main flow, with the application menu), the capture-area editor
// "capture-areas", the notes window "game-notes", the Settings window "settings", and the tray's
// status menu. Each window is made the first time it is opened and kept; opening brings it
// (and the application) forward; while one is closed (the main window during play), its
// native window and backing store are given back (HiddenWindowRelease). Each top-level
// window's object name is its X window role (WindowRoles). A failed write of the settings
// (or a change of settings kept in memory only) is told to the player once per run, in an
// alert that takes no focus, above the main window or, during play, above the game (the log
// has every failure). GUI thread.
class ApplicationScenes : public QObject
{
    Q_OBJECT

public:
    static constexpr const char *mainWindowIdentifier = "main";
    static constexpr const char *captureAreaEditorWindowIdentifier = "capture-areas";
    static constexpr const char *gameNotesWindowIdentifier = "game-notes";
    static constexpr const char *settingsWindowIdentifier = "settings";

    explicit ApplicationScenes(ObriskApp &app, QObject *parent = nullptr);
    ~ApplicationScenes() override;

    // Opens (or brings forward) the window with this identifier; unknown ones open nothing.
    void openWindow(const QString &identifier);
    // Takes the window off the screen without closing it (the main window during play).
    void dismissWindow(const QString &identifier);
    void openSettings();

    // The windows made so far (none before their first opening).
    QMainWindow *mainWindow() const;
    CaptureAreaEditorView *captureAreaEditorWindow() const;
    GameMemoLibraryView *gameNotesWindow() const;
    SettingsView *settingsWindow() const;
    StatusMenuTrayIcon *trayIcon() const;
    // The alert that told of a failed settings write, while it is open.
    QMessageBox *settingsNotSavedAlert() const;

private:
    void tellSettingsNotSaved(const FileAccessError &error);
    // The game window of the play going on, if any (and still there).
    std::optional<CaptureTarget> gameInPlay() const;
    // Makes a top-level window a window of the game's during play.
    void belongToTheGame(QWidget *alert, const CaptureTarget &target);
    QWidget *window(const QString &identifier);
    void makeMainWindow();
    void bringForward(QWidget *window);
    // The screen the player looks at: the main window's, during play the game's.
    const QScreen *screenInView() const;

    ObriskApp &m_app;
    HiddenWindowRelease *m_windowRelease;
    SettingsWindowPlacement *m_settingsPlacement;
    QPointer<QMainWindow> m_mainWindow;
    QPointer<CaptureAreaEditorView> m_captureAreaEditor;
    QPointer<GameMemoLibraryView> m_gameNotes;
    QPointer<SettingsView> m_settings;
    QPointer<StatusMenuView> m_statusMenu;
    std::unique_ptr<StatusMenuTrayIcon> m_trayIcon;
    QPointer<QMessageBox> m_settingsNotSavedAlert;
    bool m_toldSettingsNotSaved = false;
};

} // namespace veyra
