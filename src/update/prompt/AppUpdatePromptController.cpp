#include "update/prompt/AppUpdatePromptController.h"

#include "brand/WindowFit.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/language/InterfaceLanguageChange.h"
#include "update/prompt/AppUpdatePromptView.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

namespace veyra {

AppUpdatePromptController::AppUpdatePromptController(QObject *parent)
    : QObject(parent)
{ }

AppUpdatePromptController::~AppUpdatePromptController()
{
    dismiss();
}

void AppUpdatePromptController::show(AvailableAppUpdate update, std::optional<AppVersionInfo> currentVersion,
    std::optional<ReleaseNotes> releaseNotes, Completion completion)
{
    if (m_panel) {
        bringToFront();
        if (completion) {
            completion(AppUpdatePromptChoice::cancel);
        }
        return;
    }
    auto *panel = new QWidget(nullptr, Qt::Window);
    panel->setObjectName(QStringLiteral("app-update-prompt"));
    panel->setAttribute(Qt::WA_DeleteOnClose);
    // Veyra lives on without its update windows.
    panel->setAttribute(Qt::WA_QuitOnClose, false);
    panel->setWindowTitle(softwareUpdateWindowTitle());
    relabelOnLanguageChange(panel, [panel] { panel->setWindowTitle(softwareUpdateWindowTitle()); });
    auto *model
        = new AppUpdatePromptModel(std::move(update), std::move(currentVersion), std::move(releaseNotes), panel);
    m_model = model;
    m_completion = std::move(completion);

    const QPointer<AppUpdatePromptController> self(this);
    auto *view = new AppUpdatePromptView(
        model,
        [self] {
            if (self) {
                self->finish(AppUpdatePromptChoice::cancel);
            }
        },
        [self] {
            if (self) {
                self->finish(AppUpdatePromptChoice::install);
            }
        },
        panel);
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    panel->setMinimumSize(AppUpdatePromptView::minimumContentSize);
    panel->resize(initialSize);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        // Centred with its frame, no larger than the screen's free area.
        const QMargins frame = WindowFit::frameMargins(*panel);
        const QRect available = screen->availableGeometry();
        const QSize size
            = WindowFit::fittedSize(initialSize, panel->minimumSize(), available.marginsRemoved(frame).size());
        panel->setGeometry(WindowFit::centredIn(available, size, frame));
    }
    WindowFit::fitOnFirstShow(*panel);
    panel->installEventFilter(this);
    m_panel = panel;
    panel->show();
    bringToFront();
}

void AppUpdatePromptController::finish(AppUpdatePromptChoice choice)
{
    if (!m_completion) {
        return;
    }
    const Completion completion = std::exchange(m_completion, nullptr);
    if (m_panel) {
        m_panel->close();
    }
    m_panel = nullptr;
    m_model = nullptr;
    completion(choice);
}

void AppUpdatePromptController::dismiss()
{
    m_completion = nullptr;
    if (m_panel) {
        m_panel->close();
    }
    m_panel = nullptr;
    m_model = nullptr;
}

void AppUpdatePromptController::bringToFront()
{
    if (!m_panel) {
        return;
    }
    m_panel->showNormal();
    m_panel->raise();
    m_panel->activateWindow();
}

bool AppUpdatePromptController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_panel && event->type() == QEvent::Close) {
        windowWillClose();
    }
    return QObject::eventFilter(watched, event);
}

void AppUpdatePromptController::windowWillClose()
{
    const Completion completion = std::exchange(m_completion, nullptr);
    m_panel = nullptr;
    m_model = nullptr;
    if (completion) {
        completion(AppUpdatePromptChoice::cancel);
    }
}

} // namespace veyra
