#include "update/model/AppUpdateModel.h"

#include "foundation/async/AsyncTask.h"
#include "foundation/errors/Error.h"
#include "update/policy/MinimumVersionPolicyAcceptance.h"
#include "update/policy/MinimumVersionPolicyError.h"
#include "update/policy/MinimumVersionPolicyFetching.h"
#include "update/policy/MinimumVersionPolicyStoring.h"
#include "update/scheduling/MinimumVersionScheduledTask.h"
#include "update/scheduling/MinimumVersionScheduling.h"
#include "update/version/BuildComparison.h"

#include <QPointer>

namespace veyra {

namespace {

constexpr double allowedRecheckSeconds = 86400;
constexpr double failedRecheckSeconds = 3600;

} // namespace

AppUpdateModel::AppUpdateModel(Services services, QObject *parent)
    : QObject(parent)
    , m_currentVersion(std::move(services.currentVersion))
    , m_store(std::move(services.store))
    , m_minimumVersionClient(std::move(services.minimumVersionClient))
    , m_minimumVersionStore(std::move(services.minimumVersionStore))
    , m_scheduler(std::move(services.scheduler))
    , m_webPageOpener(std::move(services.webPageOpener))
{ }

AppUpdateModel::~AppUpdateModel()
{
    m_lifetime.cancel();
    m_scheduledCheck.reset();
    // The driver goes while the model is whole; it must not call back from here on.
    m_driver.reset();
}

void AppUpdateModel::setAvailableUpdate(std::optional<AvailableAppUpdate> update)
{
    if (update == m_availableUpdate) {
        return;
    }
    m_availableUpdate = std::move(update);
    emit availableUpdateChanged();
}

void AppUpdateModel::setUpdateSessionActive(bool active)
{
    if (active == m_isUpdateSessionActive) {
        return;
    }
    m_isUpdateSessionActive = active;
    emit isUpdateSessionActiveChanged(active);
    emit canCheckForUpdatesChanged();
}

void AppUpdateModel::setMinimumVersionState(MinimumVersionState state)
{
    if (state == m_minimumVersionState) {
        return;
    }
    m_minimumVersionState = std::move(state);
    emit minimumVersionStateChanged();
    emit canCheckForUpdatesChanged();
}

void AppUpdateModel::setDriver(std::unique_ptr<AppUpdateDriving> driver)
{
    m_driver = std::move(driver);
    if (m_driver) {
        const QPointer<AppUpdateModel> self(this);
        m_driver->onCanCheckForUpdatesChanged = [self] {
            if (self) {
                emit self->canCheckForUpdatesChanged();
            }
        };
    }
    emit canCheckForUpdatesChanged();
}

bool AppUpdateModel::canCheckForUpdates() const
{
    if (m_isUpdateSessionActive) {
        return false;
    }
    if (isUpdateRequired()) {
        return m_driver != nullptr;
    }
    return m_driver && m_driver->canCheckForUpdates();
}

void AppUpdateModel::checkForUpdates()
{
    if (isUpdateRequired()) {
        installRequiredUpdate();
        return;
    }
    if (!canCheckForUpdates()) {
        return;
    }
    setUpdateSessionActive(true);
    m_driver->checkForUpdates();
}

void AppUpdateModel::installRequiredUpdate()
{
    if (!isUpdateRequired() || m_isUpdateSessionActive) {
        return;
    }
    setRequiredInstallMode(true);
    // A driver that started but cannot check (updates disabled by the configuration) would
    // leave the session open for good: the install fails at once instead.
    if (startDriverIfNeeded() && m_driver->canCheckForUpdates()) {
        setUpdateSessionActive(true);
        m_driver->checkForUpdates();
    } else {
        markRequiredInstallFailed();
    }
}

void AppUpdateModel::markRequiredInstallFailed()
{
    setUpdateSessionActive(false);
    if (const auto &requirement = m_minimumVersionState.requirement()) {
        setMinimumVersionState(MinimumVersionState::installFailed(*requirement));
    }
}

bool AppUpdateModel::startDriverIfNeeded()
{
    if (m_driverStarted) {
        return true;
    }
    if (!m_driver) {
        return false;
    }
    try {
        m_driver->start();
    } catch (const std::exception &error) {
        qCCritical(m_minimumVersionLogger).noquote()
            << QStringLiteral("Sparkle failed to start: %1").arg(describeError(error));
        return false;
    }
    m_driverStarted = true;
    emit canCheckForUpdatesChanged();
    return true;
}

void AppUpdateModel::recordFoundUpdate(const QString &displayVersion, const QString &buildVersion)
{
    if (m_currentVersion && isBuildNumericallyNewer(buildVersion, m_currentVersion->build)) {
        const AvailableAppUpdate update{displayVersion, buildVersion};
        setAvailableUpdate(update);
        m_store->save(update);
    } else {
        handleNoUpdateFound();
    }
}

void AppUpdateModel::handleNoUpdateFound()
{
    if (m_requiredInstallMode) {
        markRequiredInstallFailed();
        return;
    }
    setAvailableUpdate(std::nullopt);
    m_store->clear();
}

bool AppUpdateModel::shouldInstallRequiredUpdate(const QString &displayVersion, const QString &buildVersion)
{
    const auto &requirement = m_minimumVersionState.requirement();
    if (m_requiredInstallMode && requirement
        && !isBuildNumericallyNewer(requirement->minimumSupportedBuild, buildVersion)) {
        recordFoundUpdate(displayVersion, buildVersion);
        return true;
    }
    markRequiredInstallFailed();
    return false;
}

void AppUpdateModel::finishUpdateCycle(bool failed)
{
    if (failed && m_requiredInstallMode) {
        markRequiredInstallFailed();
    }
    setUpdateSessionActive(false);
}

QCoro::Task<bool> AppUpdateModel::runMinimumVersionCheck(bool reportsFailure, CancellationToken token)
{
    const QUuid id = QUuid::createUuid();
    m_minimumVersionCheckID = id;
    const QPointer<AppUpdateModel> self(this);
    const std::shared_ptr<MinimumVersionPolicyFetching> client = m_minimumVersionClient;

    // The fetch ends when the caller cancels or the model goes.
    const CancellationToken fetchToken;
    const CancellationToken::Registration callerRegistration = token.onCancel([fetchToken] { fetchToken.cancel(); });
    const CancellationToken::Registration lifetimeRegistration
        = m_lifetime.onCancel([fetchToken] { fetchToken.cancel(); });

    std::exception_ptr failure;
    std::optional<VerifiedMinimumVersionPolicy> verified;
    try {
        verified = co_await client->fetch(fetchToken);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self || fetchToken.isCancelled()) {
        co_return false;
    }

    if (verified) {
        if (m_minimumVersionCheckID != id) {
            co_return false;
        }
        try {
            acceptPolicy(*verified);
            if (!m_currentVersion) {
                throw MinimumVersionPolicyError(MinimumVersionPolicyError::Kind::invalidConfiguration);
            }
        } catch (...) {
            failure = std::current_exception();
        }
        if (!failure) {
            const MinimumVersionPolicy &policy = verified->policy;
            if (!isBuildNumericallyNewer(policy.minimumSupportedBuild, m_currentVersion->build)) {
                setRequiredInstallMode(false);
                setMinimumVersionState(MinimumVersionState::allowed());
                startDriverIfNeeded();
                scheduleMinimumVersionCheck(allowedRecheckSeconds);
                co_return true;
            }
            // No re-check runs while the build is unsupported.
            m_scheduledCheck.reset();
            setMinimumVersionState(MinimumVersionState::required(
                {*m_currentVersion, policy.minimumSupportedBuild, policy.minimumSupportedVersion}));
            co_return false;
        }
    }

    if (isCancellation(failure) || m_minimumVersionCheckID != id) {
        co_return false;
    }
    qCCritical(m_minimumVersionLogger).noquote()
        << QStringLiteral("Minimum version check failed: %1").arg(describeError(failure));
    // A background failure that finds the screen still checking (a foreground check it
    // superseded) must leave the user a way on, not a screen without buttons for an hour.
    if (reportsFailure || m_minimumVersionState.kind() == MinimumVersionState::Case::checking) {
        setMinimumVersionState(MinimumVersionState::checkFailed());
    } else {
        scheduleMinimumVersionCheck(failedRecheckSeconds);
    }
    co_return false;
}

void AppUpdateModel::scheduleMinimumVersionCheck(double seconds)
{
    if (m_scheduledCheck) {
        m_scheduledCheck->cancel();
    }
    const QPointer<AppUpdateModel> self(this);
    m_scheduledCheck = m_scheduler->schedule(seconds, [self] {
        if (self) {
            self->startScheduledCheck();
        }
    });
}

void AppUpdateModel::startScheduledCheck()
{
    startDetachedTask(
        this,
        [](QPointer<AppUpdateModel> self) -> QCoro::Task<void> {
            if (self) {
                co_await self->runMinimumVersionCheck(false);
            }
        },
        m_minimumVersionLogger);
}

void AppUpdateModel::acceptPolicy(const VerifiedMinimumVersionPolicy &verified)
{
    acceptMinimumVersionPolicy(verified, *m_minimumVersionStore);
}

void AppUpdateModel::setRequiredInstallMode(bool on)
{
    m_requiredInstallMode = on;
}

} // namespace veyra
