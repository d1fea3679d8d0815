#include "app/flow/MainFlowView.h"

#include "app/lifecycle/MainWindowLifecycleObserver.h"
#include "app/session/AppSession.h"
#include "app/setup/GameSetupView.h"
#include "app/style/ScreenStyle.h"
#include "brand/WindowFit.h"
#include "capture/windows/WindowCatalogProviding.h"
#include "foundation/async/AsyncTask.h"
#include "foundation/language/ClientLanguage.h"
#include "update/model/AppUpdateModel.h"
#include "update/views/MinimumVersionUpdateView.h"

#include <QShowEvent>
#include <QStackedLayout>

namespace veyra {

MainFlowView::MainFlowView(AppSession *session, AppUpdateModel *appUpdateModel,
    std::shared_ptr<WindowCatalogProviding> windowCatalog, WindowActions windowActions,
    AuthenticationScreenFactory authenticationScreen, QWidget *parent)
    : QWidget(parent)
    , m_session(session)
    , m_appUpdateModel(appUpdateModel)
    , m_windowCatalog(std::move(windowCatalog))
    , m_windowActions(std::move(windowActions))
    , m_authenticationScreen(std::move(authenticationScreen))
    , m_layout(new QStackedLayout(this))
    , m_lifecycleObserver(new MainWindowLifecycleObserver([this] { closeHandler(); }, this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    // The window made to hold the flow comes up no larger than its screen's free area.
    if (parent != nullptr) {
        WindowFit::fitOnFirstShow(*parent->window());
    }

    if (m_session) {
        connect(m_session, &AppSession::phaseChanged, this, &MainFlowView::phaseChanged);
    }
    if (m_appUpdateModel) {
        connect(m_appUpdateModel, &AppUpdateModel::minimumVersionStateChanged, this, &MainFlowView::showContent);
    }
    setLocale(currentClientLanguageLocale());
    showContent();
}

MainFlowView::~MainFlowView() = default;

GameSetupView *MainFlowView::gameSetupView() const
{
    return m_screen == Screen::gameSetup ? static_cast<GameSetupView *>(m_content) : nullptr;
}

QSize MainFlowView::minimumSizeHint() const
{
    return m_content ? screenStyle::leastScreenSize(*m_content, minimumContentSize) : minimumContentSize;
}

void MainFlowView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        setLocale(currentClientLanguageLocale());
    }
}

void MainFlowView::showContent()
{
    if (!m_appUpdateModel || m_appUpdateModel->minimumVersionState() != MinimumVersionState::allowed()) {
        setScreen(Screen::minimumVersion);
        return;
    }
    if (!m_session) {
        setScreen(Screen::empty);
        return;
    }
    const AppPhase &phase = m_session->phase();
    if (phase.isAuthenticationPhase()) {
        setScreen(Screen::authentication);
    } else if (phase.kind() == AppPhase::Kind::overlay) {
        setScreen(Screen::empty);
    } else {
        setScreen(Screen::gameSetup);
    }
}

void MainFlowView::setScreen(Screen screen)
{
    // The sign-in and set-up screens tell their phases apart themselves: a screen stays
    // while its phases follow each other.
    if (screen == m_screen && m_content) {
        return;
    }
    QWidget *content = nullptr;
    switch (screen) {
    case Screen::minimumVersion:
        if (m_appUpdateModel) {
            content = new MinimumVersionUpdateView(
                m_appUpdateModel, m_appUpdateModel->webPageOpener(),
                [self = QPointer<MainFlowView>(this)] {
                    if (self) {
                        self->startSessionIfNeeded();
                    }
                },
                this);
        }
        break;
    case Screen::authentication:
        if (m_authenticationScreen) {
            content = m_authenticationScreen(this);
        }
        break;
    case Screen::gameSetup:
        content = new GameSetupView(m_session, m_appUpdateModel, m_windowCatalog, this);
        break;
    case Screen::none:
    case Screen::empty:
        break;
    }
    if (!content) {
        content = new QWidget(this);
    }
    if (m_content) {
        m_layout->removeWidget(m_content);
        m_content->hide();
        m_content->setParent(nullptr);
        m_content->deleteLater();
    }
    m_screen = screen;
    m_content = content;
    m_layout->addWidget(content);
    m_layout->setCurrentWidget(content);
    content->show();
}

void MainFlowView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A window coming back from the taskbar is no new appearance.
    if (!event->spontaneous()) {
        runStartUpTask();
    }
}

void MainFlowView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous()) {
        // The start-up task ends when the view leaves the screen.
        m_startUpToken.cancel();
    }
}

void MainFlowView::runStartUpTask()
{
    m_startUpToken.cancel();
    m_startUpToken = CancellationToken();
    if (m_session) {
        const auto openWindow = m_windowActions.openWindow;
        m_session->captureAreaEditorRouter().setOpenAction([openWindow] {
            if (openWindow) {
                openWindow(QString::fromLatin1(captureAreaEditorWindowIdentifier));
            }
        });
        m_session->mainWindowRouter().setOpenAction([openWindow] {
            if (openWindow) {
                openWindow(QString::fromLatin1(mainWindowIdentifier));
            }
        });
    }
    if (!m_appUpdateModel) {
        return;
    }
    m_appUpdateModel->setMinimumVersionState(MinimumVersionState::checking());
    QPointer<AppUpdateModel> model = m_appUpdateModel;
    const CancellationToken token = m_startUpToken;
    startDetachedTask(
        this,
        [model, token](QPointer<MainFlowView> self) -> QCoro::Task<void> {
            if (!model) {
                co_return;
            }
            const bool allowed = co_await model->runMinimumVersionCheck(true, token);
            if (!self || token.isCancelled() || !allowed) {
                co_return;
            }
            self->startSessionIfNeeded();
        },
        m_logger);
}

void MainFlowView::startSessionIfNeeded()
{
    if (m_hasStartedSession || !m_session) {
        return;
    }
    m_hasStartedSession = true;
    m_session->start();
    if (m_session && m_session->phase().kind() == AppPhase::Kind::overlay && m_windowActions.dismissWindow) {
        m_windowActions.dismissWindow(QString::fromLatin1(mainWindowIdentifier));
    }
}

void MainFlowView::phaseChanged()
{
    showContent();
    if (m_session && m_session->phase().kind() == AppPhase::Kind::overlay && m_windowActions.dismissWindow) {
        m_windowActions.dismissWindow(QString::fromLatin1(mainWindowIdentifier));
    }
}

void MainFlowView::closeHandler()
{
    if (!m_session || m_session->phase().kind() == AppPhase::Kind::overlay) {
        return;
    }
    m_session->terminate();
}

} // namespace veyra
