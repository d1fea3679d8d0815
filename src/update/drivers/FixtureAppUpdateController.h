#pragma once

#include "update/model/AppUpdateDriving.h"

#include <QPointer>

#include <memory>

namespace veyra {

class AppUpdateModel;
class AppUpdatePromptController;
class VeyraAppUpdateUserDriver;

// The driver of the UI-testing fixture mode. It imitates the updater with fixed values:
// the update "99.0.0" (build "9999") against the model's running version, offered in
// the update prompt with the notes "Fixture release notes."; nothing is ever installed.
// A check that finds nothing says so, as the updater does after the user's own check.
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
    // found: the session ends and the "up to date" message is shown.
    void checkForUpdates() override;

    AppUpdatePromptController &promptController() const;
    // The live updater's user driver, over the prompt controller: it shows the "up to
    // date" message.
    VeyraAppUpdateUserDriver &userDriver() const { return *m_userDriver; }
    bool requiredInstallFails() const { return m_requiredInstallFails; }

private:
    bool m_canCheckForUpdates = false;
    QPointer<AppUpdateModel> m_model;
    std::unique_ptr<VeyraAppUpdateUserDriver> m_userDriver;
    bool m_requiredInstallFails;
};

} // namespace veyra
