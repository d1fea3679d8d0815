#pragma once

#include "update/prompt/StandardAppUpdateUserDriver.h"

#include <QPointer>

#include <memory>

namespace veyra {

class AppUpdateModel;
class AppUpdatePromptController;

// Veyra's user driver: offers a found update in its own "Software Update" window, and
// decides without any window where the update model must: in a required install a found
// update is installed when it reaches the required build and declined otherwise, and an
// update found by a background check is only recorded in the model. Every other window is
// the standard driver's.
class VeyraAppUpdateUserDriver : public StandardAppUpdateUserDriver
{
    Q_OBJECT

public:
    // Holds the model weakly.
    VeyraAppUpdateUserDriver(AppUpdateModel *model, std::optional<AppVersionInfo> currentVersion,
        std::unique_ptr<AppUpdatePromptController> promptController, QObject *parent = nullptr);
    ~VeyraAppUpdateUserDriver() override;

    AppUpdatePromptController &promptController() const { return *m_promptController; }

    // No "checking" window is shown; the cancellation is not kept.
    void showUserInitiatedUpdateCheck(std::function<void()> cancellation) override;
    void showUpdateFound(
        const AppcastItem &item, UserUpdateState state, std::function<void(UserUpdateChoice)> reply) override;
    void showUpdateReleaseNotes(const UpdateDownloadData &downloadData) override;
    void showUpdateReleaseNotesFailedToDownload(const AppUpdaterError &error) override;
    // In a required install nothing newer is no news for the user: the minimum-version
    // screen shows the failed install, so no "up to date" message contradicts it.
    void showUpdateNotFound(std::function<void()> acknowledgement) override;
    void dismissUpdateInstallation() override;
    void showUpdateInFocus() override;

private:
    bool isRequiredInstall() const;

    QPointer<AppUpdateModel> m_model;
    std::unique_ptr<AppUpdatePromptController> m_promptController;
};

} // namespace veyra
