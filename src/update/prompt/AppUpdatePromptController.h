#pragma once

#include "update/prompt/AppUpdatePromptModel.h"

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QWidget>

#include <functional>

namespace veyra {

// Opens the "Software Update" window (object name "app-update-prompt") for an offered update
// and hands the user's answer to a completion, exactly once: Update gives `install`;
// Cancel, Escape and closing the window give `cancel`. dismiss() closes the window without
// an answer. GUI thread only.
class AppUpdatePromptController : public QObject
{
    Q_OBJECT

public:
    using Completion = std::function<void(AppUpdatePromptChoice)>;

    static constexpr QSize initialSize{680, 520};

    explicit AppUpdatePromptController(QObject *parent = nullptr);
    ~AppUpdatePromptController() override;

    // Opens the window. While one is open it is only brought to the front: it keeps its
    // model and completion, and the second offer is declined at once (its completion gets
    // `cancel`), so that no caller waits for an answer that never comes.
    void show(AvailableAppUpdate update, std::optional<AppVersionInfo> currentVersion,
        std::optional<ReleaseNotes> releaseNotes, Completion completion);
    // The answer of a button: closes the window, then calls the completion. Does nothing
    // once an answer was given.
    void finish(AppUpdatePromptChoice choice);
    // Closes the window without calling the completion.
    void dismiss();
    // Brings the open window to the front.
    void bringToFront();

    QWidget *panel() const { return m_panel; }
    AppUpdatePromptModel *model() const { return m_model; }
    bool hasCompletion() const { return static_cast<bool>(m_completion); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The window is closing (its close button, or a close from finish() or dismiss()).
    void windowWillClose();

    QPointer<QWidget> m_panel;
    QPointer<AppUpdatePromptModel> m_model;
    Completion m_completion;
};

} // namespace veyra
