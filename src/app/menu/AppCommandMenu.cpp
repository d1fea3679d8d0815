#include "app/menu/AppCommandMenu.h"

#include "app/menu/MenuFilling.h"
#include "app/session/AppSession.h"
#include "update/model/AppUpdateChecking.h"

#include <QEvent>
#include <QTimer>

namespace veyra {

AppCommandMenu::AppCommandMenu(
    AppSession *session, AppUpdateChecking *appUpdateChecker, AppMenuActions actions, QWidget *parent)
    : QMenu(parent)
    , m_session(session)
    , m_appUpdateChecker(appUpdateChecker)
    , m_actions(std::move(actions))
{
    connect(this, &QMenu::aboutToShow, this, &AppCommandMenu::recompute);
    if (m_session) {
        connect(m_session, &AppSession::phaseChanged, this, &AppCommandMenu::scheduleRecompute);
    }
    // The first filling waits for the subclass to be complete.
    scheduleRecompute();
}

void AppCommandMenu::changeEvent(QEvent *event)
{
    QMenu::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        scheduleRecompute();
    }
}

void AppCommandMenu::scheduleRecompute()
{
    // Not inside the emission: the change may come from one of this menu's own actions.
    if (m_recomputeScheduled) {
        return;
    }
    m_recomputeScheduled = true;
    QTimer::singleShot(0, this, &AppCommandMenu::recompute);
}

void AppCommandMenu::recompute()
{
    m_recomputeScheduled = false;
    retitle();
    fillMenu(
        *this, sections(), [this](StatusMenuItem item) { return isItemEnabled(item); },
        [self = QPointer<AppCommandMenu>(this)](StatusMenuItem item) {
            if (self) {
                self->perform(item);
            }
        });
}

bool AppCommandMenu::isSignedIn() const
{
    return m_session && m_session->phase().isSignedIn();
}

bool AppCommandMenu::isItemEnabled(StatusMenuItem item) const
{
    switch (item) {
    case StatusMenuItem::editCaptureAreas:
        return m_session && m_session->canEditCaptureAreas();
    case StatusMenuItem::checkForUpdates:
        return m_appUpdateChecker != nullptr && m_appUpdateChecker->canCheckForUpdates();
    default:
        return true;
    }
}

void AppCommandMenu::perform(StatusMenuItem item)
{
    switch (item) {
    case StatusMenuItem::editCaptureAreas:
        // Only while capture areas can be edited and the session is not ending; an
        // editor router without an action opens nothing.
        if (m_session) {
            m_session->openCaptureAreaEditor();
        }
        break;
    case StatusMenuItem::gameNotes:
        if (m_actions.openWindow) {
            m_actions.openWindow(QString::fromLatin1(gameNotesWindowIdentifier));
        }
        break;
    case StatusMenuItem::customerSupport:
        if (m_session && m_session->webPageOpener()) {
            m_session->webPageOpener()->openSupportInquiriesPage();
        }
        break;
    case StatusMenuItem::checkForUpdates:
        if (m_appUpdateChecker) {
            m_appUpdateChecker->checkForUpdates();
        }
        break;
    case StatusMenuItem::settings:
        if (m_actions.openSettings) {
            m_actions.openSettings();
        }
        break;
    case StatusMenuItem::logOut:
        if (m_session) {
            m_session->logOut();
        }
        break;
    case StatusMenuItem::quit:
        if (m_actions.terminateApplication) {
            m_actions.terminateApplication();
        }
        break;
    }
}

} // namespace veyra
