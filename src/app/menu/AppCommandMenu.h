#pragma once

#include "app/menu/StatusMenuItem.h"

#include <QMenu>
#include <QPointer>
#include <QVector>

#include <functional>

namespace veyra {

class AppSession;
class AppUpdateChecking;

// What the menus open and end, from the composition root.
struct AppMenuActions
{
    // Opens a window by its identifier ("game-notes"), bringing the application forward.
    std::function<void(const QString &identifier)> openWindow;
    // Opens the Settings window, bringing the application forward.
    std::function<void()> openSettings;
    // Ends the application at once (the session's orderly termination is not involved).
    std::function<void()> terminateApplication;
};

// A menu of the application's global actions, read from the session's phase and the
// update state: the tray's status menu and the main window's commands. It keeps no state
// of its own and is filled again whenever it is about to be shown, when the session's
// phase changes and when the interface language changes (QEvent::LanguageChange).
class AppCommandMenu : public QMenu
{
    Q_OBJECT

public:
    static constexpr const char *gameNotesWindowIdentifier = "game-notes";

    // Fills the menu for the current state now.
    void recompute();
    bool isItemEnabled(StatusMenuItem item) const;
    void perform(StatusMenuItem item);
    // Any phase but the six authentication phases counts as signed in.
    bool isSignedIn() const;

protected:
    AppCommandMenu(AppSession *session, AppUpdateChecking *appUpdateChecker, AppMenuActions actions, QWidget *parent);

    void changeEvent(QEvent *event) override;

    // The items to show now, section by section.
    virtual QVector<QVector<StatusMenuItem>> sections() const = 0;
    // Called before each filling (for a title that follows the language).
    virtual void retitle() { }

    AppUpdateChecking *appUpdateChecker() const { return m_appUpdateChecker; }

private:
    void scheduleRecompute();

    QPointer<AppSession> m_session;
    AppUpdateChecking *m_appUpdateChecker;
    const AppMenuActions m_actions;
    bool m_recomputeScheduled = false;
};

} // namespace veyra
