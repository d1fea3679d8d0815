#pragma once

#include "update/prompt/AppUpdateProgressWindow.h"
#include "update/updater/AppUpdateUserDriving.h"
#include "update/version/AppVersionInfo.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>

#include <optional>

namespace veyra {

// The updater's plain windows, shared by every user driver: the message that no update was
// found, the message of a failed cycle (each acknowledged with OK), and the download and
// installation progress (with Cancel while downloading). How an update is offered, and
// what a user-initiated check shows while it runs, is left to the driver built on it.
// Every window follows the interface language while it is open.
class StandardAppUpdateUserDriver : public QObject, public AppUpdateUserDriving
{
    Q_OBJECT

public:
    explicit StandardAppUpdateUserDriver(std::optional<AppVersionInfo> currentVersion, QObject *parent = nullptr);
    ~StandardAppUpdateUserDriver() override;

    const std::optional<AppVersionInfo> &currentVersion() const { return m_currentVersion; }

    void showUpdateNotFound(std::function<void()> acknowledgement) override;
    void showUpdaterError(const AppUpdaterError &error, std::function<void()> acknowledgement) override;
    void showDownloadInitiated(std::function<void()> cancellation) override;
    void showDownloadProgress(qint64 received, qint64 expected) override;
    void showInstallingUpdate() override;
    void showUpdateInFocus() override;
    void dismissUpdateInstallation() override;

    // The open message or progress window, if any.
    QMessageBox *alert() const { return m_alert; }
    AppUpdateProgressWindow *progressWindow() const { return m_progress; }

private:
    // The title and message are looked up again on every change of the interface language.
    void showAlert(std::function<QString()> title, std::function<QString()> message, bool warning,
        std::function<void()> acknowledgement);
    void closeProgressWindow();
    void closeAlert();

    std::optional<AppVersionInfo> m_currentVersion;
    QPointer<AppUpdateProgressWindow> m_progress;
    QPointer<QMessageBox> m_alert;
};

} // namespace veyra
