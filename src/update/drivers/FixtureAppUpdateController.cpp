#include "update/drivers/FixtureAppUpdateController.h"

#include "update/model/AppUpdateModel.h"
#include "update/prompt/AppUpdatePromptController.h"
#include "update/prompt/VeyraAppUpdateUserDriver.h"

namespace veyra {

namespace {

const QString fixtureDisplayVersion = QStringLiteral("99.0.0");
const QString fixtureBuildVersion = QStringLiteral("9999");

} // namespace

FixtureAppUpdateController::FixtureAppUpdateController(
    AppUpdateModel *model, std::unique_ptr<AppUpdatePromptController> promptController, bool requiredInstallFails)
    : m_model(model)
    , m_userDriver(std::make_unique<VeyraAppUpdateUserDriver>(
          model, model ? model->currentVersion() : std::nullopt, std::move(promptController)))
    , m_requiredInstallFails(requiredInstallFails)
{ }

FixtureAppUpdateController::~FixtureAppUpdateController() = default;

AppUpdatePromptController &FixtureAppUpdateController::promptController() const
{
    return m_userDriver->promptController();
}

void FixtureAppUpdateController::start()
{
    m_canCheckForUpdates = true;
    if (onCanCheckForUpdatesChanged) {
        onCanCheckForUpdatesChanged();
    }
}

void FixtureAppUpdateController::checkForUpdates()
{
    if (!m_model) {
        return;
    }
    if (m_model->isUpdateRequired()) {
        if (!m_requiredInstallFails) {
            m_model->shouldInstallRequiredUpdate(fixtureDisplayVersion, fixtureBuildVersion);
        } else if (m_model->requiredInstallMode()) {
            m_model->markRequiredInstallFailed();
        }
        m_model->setUpdateSessionActive(false);
        return;
    }
    if (!m_model->availableUpdate()) {
        m_model->handleNoUpdateFound();
        m_model->setUpdateSessionActive(false);
        m_userDriver->showUpdateNotFound([] {});
        return;
    }
    // A copy of the update itself, not of the optional: the prompt may change the model.
    const AvailableAppUpdate update = *m_model->availableUpdate();
    const QPointer<AppUpdateModel> model = m_model;
    // The version every other screen shows as the running one.
    const AppVersionInfo running = m_model->currentVersion().value_or(AppVersionInfo{});
    promptController().show(update, running,
        ReleaseNotes{ReleaseNotes::Format::plainText, QStringLiteral("Fixture release notes.")},
        [model](AppUpdatePromptChoice) {
            if (model) {
                model->setUpdateSessionActive(false);
            }
        });
}

} // namespace veyra
