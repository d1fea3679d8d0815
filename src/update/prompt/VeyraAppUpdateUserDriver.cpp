#include "update/prompt/VeyraAppUpdateUserDriver.h"

#include "update/model/AppUpdateModel.h"
#include "update/prompt/AppUpdatePromptController.h"
#include "update/prompt/ReleaseNotes.h"

#include <QWidget>

namespace veyra {

VeyraAppUpdateUserDriver::VeyraAppUpdateUserDriver(AppUpdateModel *model, std::optional<AppVersionInfo> currentVersion,
    std::unique_ptr<AppUpdatePromptController> promptController, QObject *parent)
    : StandardAppUpdateUserDriver(std::move(currentVersion), parent)
    , m_model(model)
    , m_promptController(std::move(promptController))
{ }

VeyraAppUpdateUserDriver::~VeyraAppUpdateUserDriver() = default;

void VeyraAppUpdateUserDriver::showUserInitiatedUpdateCheck(std::function<void()>) { }

void VeyraAppUpdateUserDriver::showUpdateFound(
    const AppcastItem &item, UserUpdateState state, std::function<void(UserUpdateChoice)> reply)
{
    const QString displayVersion = item.displayVersionString;
    const QString buildVersion = item.versionString;

    if (m_model && m_model->isUpdateRequired()) {
        if (state.userInitiated && m_model->requiredInstallMode()) {
            const bool install = m_model->shouldInstallRequiredUpdate(displayVersion, buildVersion);
            reply(install ? UserUpdateChoice::install : UserUpdateChoice::dismiss);
            return;
        }
        // A background check while an update is required: the update is worth knowing,
        // but nobody asked to install it, so no install fails.
        m_model->recordFoundUpdate(displayVersion, buildVersion);
        reply(UserUpdateChoice::dismiss);
        return;
    }
    if (m_model) {
        m_model->recordFoundUpdate(displayVersion, buildVersion);
    }
    if (!state.userInitiated) {
        reply(UserUpdateChoice::dismiss);
        return;
    }

    const std::optional<ReleaseNotes> notes
        = item.itemDescription ? makeReleaseNotes(*item.itemDescription, item.itemDescriptionFormat) : std::nullopt;
    m_promptController->show(AvailableAppUpdate{displayVersion, buildVersion}, currentVersion(), notes,
        [reply](AppUpdatePromptChoice choice) {
            reply(choice == AppUpdatePromptChoice::install ? UserUpdateChoice::install : UserUpdateChoice::dismiss);
        });
    // Without notes of its own and without a link to fetch them from, nothing will arrive:
    // the prompt says so instead of loading forever.
    if (!notes && !item.releaseNotesURL && m_promptController->model()) {
        m_promptController->model()->setReleaseNotes(std::nullopt);
    }
}

void VeyraAppUpdateUserDriver::showUpdateReleaseNotes(const UpdateDownloadData &downloadData)
{
    if (AppUpdatePromptModel *model = m_promptController->model()) {
        model->setReleaseNotes(makeReleaseNotes(downloadData));
    }
}

void VeyraAppUpdateUserDriver::showUpdateReleaseNotesFailedToDownload(const AppUpdaterError &)
{
    if (AppUpdatePromptModel *model = m_promptController->model()) {
        model->setReleaseNotes(std::nullopt);
    }
}

void VeyraAppUpdateUserDriver::showUpdateNotFound(std::function<void()> acknowledgement)
{
    if (isRequiredInstall()) {
        if (acknowledgement) {
            acknowledgement();
        }
        return;
    }
    StandardAppUpdateUserDriver::showUpdateNotFound(std::move(acknowledgement));
}

void VeyraAppUpdateUserDriver::dismissUpdateInstallation()
{
    m_promptController->dismiss();
    StandardAppUpdateUserDriver::dismissUpdateInstallation();
}

void VeyraAppUpdateUserDriver::showUpdateInFocus()
{
    if (m_promptController->panel()) {
        m_promptController->bringToFront();
        return;
    }
    StandardAppUpdateUserDriver::showUpdateInFocus();
}

bool VeyraAppUpdateUserDriver::isRequiredInstall() const
{
    return m_model && m_model->isUpdateRequired() && m_model->requiredInstallMode();
}

} // namespace veyra
