#pragma once

#include "foundation/async/CancellationToken.h"
#include "foundation/logging/Logger.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QStackedLayout;

namespace veyra {

class AppSession;
class AppUpdateModel;
class GameSetupView;
class MainWindowLifecycleObserver;
class WindowCatalogProviding;

// The content of the main window ("main"), and the one place that decides what that
// window shows and when it exists. Until the running build is confirmed as supported it
// shows only the minimum-version screen; then the screen of the session's phase: the
// sign-in screen for the six authentication phases, the set-up screen (with the window
// picker) for the permission phases and window choice, nothing during play.
//
// Each time it comes on screen it points the two window routers at this window's
// actions, runs the foreground minimum-version check and, once the build is allowed,
// starts the session (once per view). It dismisses the main window when the session
// enters play, and terminates the session when the player closes the main window in any
// other phase. The content's locale follows the interface language; every screen inside
// relabels itself on QEvent::LanguageChange.
class MainFlowView : public QWidget
{
    Q_OBJECT

public:
    static constexpr const char *mainWindowIdentifier = "main";
    static constexpr const char *captureAreaEditorWindowIdentifier = "capture-areas";
    // The least size of the window's content; a screen that needs more (its texts in a
    // longer language, say) makes the window's minimum size grow to what it needs.
    static constexpr QSize minimumContentSize{620, 420};

    // The window actions of the main window's environment, by window identifier.
    struct WindowActions
    {
        // Opens the window (or brings it forward) and brings the application to the front.
        std::function<void(const QString &identifier)> openWindow;
        // Dismisses the open window.
        std::function<void(const QString &identifier)> dismissWindow;
    };
    // Makes the sign-in screen of the six authentication phases (the session connects it).
    using AuthenticationScreenFactory = std::function<QWidget *(QWidget *parent)>;

    MainFlowView(AppSession *session, AppUpdateModel *appUpdateModel,
        std::shared_ptr<WindowCatalogProviding> windowCatalog, WindowActions windowActions,
        AuthenticationScreenFactory authenticationScreen, QWidget *parent = nullptr);
    ~MainFlowView() override;

    // Starts the session once per view (the start routine); dismisses the main window
    // when the session is already playing afterwards.
    void startSessionIfNeeded();
    bool hasStartedSession() const { return m_hasStartedSession; }

    // The screen shown now: the minimum-version screen, the sign-in screen, the set-up
    // screen or an empty widget.
    QWidget *currentScreen() const { return m_content; }
    // The set-up screen when it is the one shown.
    GameSetupView *gameSetupView() const;

    // The minimum content size, grown to the current screen's least size; at the least
    // width, as tall as the screen's wrapped texts need there.
    QSize minimumSizeHint() const override;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    enum class Screen { none, minimumVersion, authentication, gameSetup, empty };

    void runStartUpTask();
    void showContent();
    void setScreen(Screen screen);
    void phaseChanged();
    void closeHandler();

    QPointer<AppSession> m_session;
    QPointer<AppUpdateModel> m_appUpdateModel;
    const std::shared_ptr<WindowCatalogProviding> m_windowCatalog;
    const WindowActions m_windowActions;
    const AuthenticationScreenFactory m_authenticationScreen;
    const Logger m_logger{"MainFlow"};

    bool m_hasStartedSession = false;
    // Ends the start-up task of the current stay on screen when the view leaves it.
    CancellationToken m_startUpToken;
    Screen m_screen = Screen::none;
    QWidget *m_content = nullptr;
    QStackedLayout *m_layout;
    MainWindowLifecycleObserver *m_lifecycleObserver;
};

} // namespace veyra
