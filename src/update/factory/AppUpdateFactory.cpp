#include "update/factory/AppUpdateFactory.h"

#include "foundation/logging/Logger.h"
#include "foundation/settings/UserDefaults.h"
#include "update/configuration/AppUpdateConfigurationError.h"
#include "update/drivers/DisabledAppUpdateController.h"
#include "update/drivers/FixtureAppUpdateController.h"
#include "update/policy/FailingMinimumVersionPolicyClient.h"
#include "update/policy/FixtureMinimumVersionPolicyClient.h"
#include "update/policy/InMemoryMinimumVersionPolicyStore.h"
#include "update/policy/MinimumVersionPolicyError.h"
#include "update/policy/QtNetworkMinimumVersionPolicyClient.h"
#include "update/policy/UserDefaultsMinimumVersionPolicyStore.h"
#include "update/prompt/AppUpdatePromptController.h"
#include "update/scheduling/TaskMinimumVersionScheduler.h"
#include "update/version/BuildComparison.h"
#include "update/version/InMemoryAppUpdateAvailabilityStore.h"
#include "update/version/UserDefaultsAppUpdateAvailabilityStore.h"

namespace veyra {

namespace {

FixtureMinimumVersionPolicyClient::Result fixtureResult(MinimumVersionFixtureMode mode)
{
    using Result = FixtureMinimumVersionPolicyClient::Result;
    switch (mode) {
    case MinimumVersionFixtureMode::allowed:
        return Result::allowed;
    case MinimumVersionFixtureMode::checking:
        return Result::suspended;
    case MinimumVersionFixtureMode::checkFailed:
        return Result::failed;
    case MinimumVersionFixtureMode::required:
    case MinimumVersionFixtureMode::installFailed:
        break;
    }
    return Result::required;
}

std::shared_ptr<MinimumVersionPolicyFetching> livePolicyClient(
    const InfoDictionary &info, std::shared_ptr<HTTPTransport> transport)
{
    try {
        return std::make_shared<QtNetworkMinimumVersionPolicyClient>(
            MinimumVersionConfiguration::fromInfoDictionary(info), nullptr, std::move(transport));
    } catch (const MinimumVersionPolicyError &) {
        return std::make_shared<FailingMinimumVersionPolicyClient>();
    }
}

void restoreAvailableUpdate(AppUpdateModel &model)
{
    const std::optional<AvailableAppUpdate> stored = model.store().load();
    if (model.currentVersion() && stored
        && isBuildNumericallyNewer(stored->buildVersion, model.currentVersion()->build)) {
        model.setAvailableUpdate(stored);
        return;
    }
    model.setAvailableUpdate(std::nullopt);
    model.store().clear();
}

std::unique_ptr<AppUpdateDriving> liveDriver(
    const InfoDictionary &info, AppUpdateModel &model, FeedAppUpdateEnvironment environment)
{
    try {
        return std::make_unique<FeedAppUpdateController>(
            AppUpdateConfiguration::fromInfoDictionary(info), &model, info, std::move(environment));
    } catch (const AppUpdateConfigurationError &error) {
        qCCritical(Logger("app-update")).noquote()
            << QStringLiteral("Automatic updates disabled: invalid configuration (%1)")
                   .arg(AppUpdateConfigurationError::caseName(error.kind()));
        return std::make_unique<DisabledAppUpdateController>();
    }
}

} // namespace

std::unique_ptr<AppUpdateModel> makeAppUpdateModel(const InfoDictionary &info, bool fixtureMode, bool updateAvailable,
    MinimumVersionFixtureMode mode, HomePageOpener webPageOpener, AppUpdateModelEnvironment environment)
{
    AppUpdateModel::Services services;
    services.currentVersion = AppVersionInfo::fromInfoDictionary(info);
    services.scheduler = std::make_shared<TaskMinimumVersionScheduler>();
    services.webPageOpener = std::move(webPageOpener);
    if (fixtureMode) {
        services.minimumVersionStore = std::make_shared<InMemoryMinimumVersionPolicyStore>();
        services.store = std::make_shared<InMemoryAppUpdateAvailabilityStore>();
        services.minimumVersionClient = std::make_shared<FixtureMinimumVersionPolicyClient>(fixtureResult(mode));
        if (!services.currentVersion) {
            services.currentVersion = AppVersionInfo{QStringLiteral("0.1.0"), QStringLiteral("1")};
        }
    } else {
        UserDefaults &defaults = environment.defaults ? *environment.defaults : UserDefaults::standard();
        services.minimumVersionStore = std::make_shared<UserDefaultsMinimumVersionPolicyStore>(defaults);
        services.store = std::make_shared<UserDefaultsAppUpdateAvailabilityStore>(defaults);
        services.minimumVersionClient = livePolicyClient(info, environment.policyTransport);
    }

    auto model = std::make_unique<AppUpdateModel>(std::move(services));
    restoreAvailableUpdate(*model);

    if (fixtureMode) {
        if (updateAvailable) {
            model->recordFoundUpdate(QStringLiteral("99.0.0"), QStringLiteral("9999"));
        }
        model->setDriver(std::make_unique<FixtureAppUpdateController>(model.get(),
            std::make_unique<AppUpdatePromptController>(), mode == MinimumVersionFixtureMode::installFailed));
    } else {
        model->setDriver(liveDriver(info, *model, std::move(environment.updater)));
    }
    return model;
}

} // namespace veyra
