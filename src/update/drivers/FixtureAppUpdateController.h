#pragma once

#include "update/model/AppUpdateDriving.h"

#include <QPointer>

#include <memory>

namespace veyra {

class AppUpdateModel;
class AppUpdatePromptController;

// The driver of the UI-testing fixture mode. It imitates the updater with fixed values:
// the update "99.0.0" (build "9999") against the running "0.1.0" (build "1"), offered in
// the update prompt with the notes "Fixture release notes."; nothing is ever installed.
class FixtureAppUpdateController : public AppUpdateDriving
{
public:
    // Holds the model weakly.
    FixtureAppUpdateController(
        AppUpdateModel *model, std::unique_ptr<AppUpdatePromptController> promptController, bool requiredInstallFails);
    ~FixtureAppUpdateController() override;

    // False until start().
    bool canCheckForUpdates() const override { return m_canCheckForUpdates; }
    void start() override;
    // While an update is required: a required install that succeeds (the fixture update
    // is recorded) or fails, as configured; otherwise the available update is offered in
    // the prompt, and the session ends when the prompt closes; without one, nothing is
    // found.
    void checkForUpdates() override;

    AppUpdatePromptController &promptController() const { return *m_promptController; }
    bool requiredInstallFails() const { return m_requiredInstallFails; }

private:
    bool m_canCheckForUpdates = false;
    QPointer<AppUpdateModel> m_model;
    std::unique_ptr<AppUpdatePromptController> m_promptController;
    bool m_requiredInstallFails;
};

} // namespace veyra
