#pragma once

#include "capture/windows/PermissionRestartPresenting.h"

#include <QPointer>
#include <QWidget>

namespace veyra {

// The quit-and-reopen alert as a QMessageBox with one "Quit" button, opened without a
// nested event loop. The alert is modal to `parent` when one is given; it follows the
// interface language while it is open.
class QtPermissionRestartPresenter : public PermissionRestartPresenting
{
public:
    explicit QtPermissionRestartPresenter(QWidget *parent = nullptr);

    // Ends when the button is pressed or the alert is closed or destroyed.
    QCoro::Task<void> presentRestartPrompt() override;

    static constexpr const char *alertObjectName = "permission-restart-alert";

private:
    QPointer<QWidget> m_parent;
};

} // namespace veyra
