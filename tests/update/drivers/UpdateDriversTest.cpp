// Test label: ui
#include "brand/BrandIcons.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/language/ClientLanguage.h"
#include "foundation/language/InterfaceLanguageChange.h"
#include "support/RunTask.h"
#include "support/ShownText.h"
#include "support/TestScreenshots.h"
#include "support/UpdateTestDoubles.h"
#include "update/drivers/DisabledAppUpdateController.h"
#include "update/drivers/FeedAppUpdateDelegate.h"
#include "update/drivers/FixtureAppUpdateController.h"
#include "update/model/AppUpdateModel.h"
#include "update/policy/FixtureMinimumVersionPolicyClient.h"
#include "update/policy/InMemoryMinimumVersionPolicyStore.h"
#include "update/prompt/AppUpdatePromptController.h"
#include "update/prompt/ReleaseNotesBrowser.h"
#include "update/prompt/VeyraAppUpdateUserDriver.h"
#include "update/scheduling/TaskMinimumVersionScheduler.h"
#include "update/updater/AppUpdaterError.h"
#include "update/version/InMemoryAppUpdateAvailabilityStore.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;

namespace {

const AppVersionInfo running{QStringLiteral("1.2.0"), QStringLiteral("120")};
const MinimumVersionRequirement needs130{running, QStringLiteral("130"), QStringLiteral("1.3.0")};

AppcastItem appcastItem(const QString &build, const QString &display)
{
    AppcastItem item;
    item.versionString = build;
    item.displayVersionString = display;
    return item;
}

std::unique_ptr<AppUpdateModel> makeModel(
    std::shared_ptr<InMemoryAppUpdateAvailabilityStore> store = std::make_shared<InMemoryAppUpdateAvailabilityStore>())
{
    AppUpdateModel::Services services;
    services.currentVersion = running;
    services.store = std::move(store);
    services.minimumVersionClient
        = std::make_shared<FixtureMinimumVersionPolicyClient>(FixtureMinimumVersionPolicyClient::Result::allowed);
    services.minimumVersionStore = std::make_shared<InMemoryMinimumVersionPolicyStore>();
    services.scheduler = std::make_shared<TaskMinimumVersionScheduler>();
    return std::make_unique<AppUpdateModel>(std::move(services));
}

class UserDriverTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QApplication::setWindowIcon(veyraApplicationIcon());
        model = makeModel();
        auto counting = std::make_unique<CountingUpdateDriver>();
        driver = counting.get();
        model->setDriver(std::move(counting));
        userDriver = std::make_unique<VeyraAppUpdateUserDriver>(
            model.get(), running, std::make_unique<AppUpdatePromptController>());
    }
    void TearDown() override { userDriver->dismissUpdateInstallation(); }

    // The driver's reply to an offer of `item`, when it gave one at once.
    std::optional<UserUpdateChoice> offer(const AppcastItem &item, bool userInitiated)
    {
        std::optional<UserUpdateChoice> reply;
        userDriver->showUpdateFound(
            item, UserUpdateState{userInitiated}, [&](UserUpdateChoice choice) { reply = choice; });
        return reply;
    }

    std::unique_ptr<AppUpdateModel> model;
    CountingUpdateDriver *driver = nullptr;
    std::unique_ptr<VeyraAppUpdateUserDriver> userDriver;
};

TEST_F(UserDriverTest, ABackgroundCheckOnlyRecordsTheUpdate)
{
    model->setMinimumVersionState(MinimumVersionState::allowed());
    EXPECT_EQ(offer(appcastItem(QStringLiteral("130"), QStringLiteral("1.3.0")), false), UserUpdateChoice::dismiss);
    EXPECT_EQ(model->availableUpdate(), (AvailableAppUpdate{QStringLiteral("1.3.0"), QStringLiteral("130")}));
    EXPECT_EQ(userDriver->promptController().panel(), nullptr);
    EXPECT_TRUE(visibleTopLevelWindows().isEmpty());
}

TEST_F(UserDriverTest, ARequiredInstallDecidesWithoutAWindow)
{
    model->setMinimumVersionState(MinimumVersionState::required(needs130));
    model->installRequiredUpdate();
    ASSERT_TRUE(model->requiredInstallMode());
    EXPECT_EQ(driver->checks, 1);

    // One build below the minimum: declined, the install failed.
    EXPECT_EQ(offer(appcastItem(QStringLiteral("129"), QStringLiteral("1.2.9")), true), UserUpdateChoice::dismiss);
    EXPECT_EQ(model->minimumVersionState(), MinimumVersionState::installFailed(needs130));
    // Nothing newer in a required install: no "up to date" message, acknowledged at once.
    bool acknowledged = false;
    userDriver->showUpdateNotFound([&] { acknowledged = true; });
    EXPECT_TRUE(acknowledged);
    EXPECT_EQ(userDriver->alert(), nullptr);

    // The minimum itself: installed.
    model->installRequiredUpdate();
    EXPECT_EQ(offer(appcastItem(QStringLiteral("130"), QStringLiteral("1.3.0")), true), UserUpdateChoice::install);
    EXPECT_EQ(model->availableUpdate(), (AvailableAppUpdate{QStringLiteral("1.3.0"), QStringLiteral("130")}));
    EXPECT_TRUE(visibleTopLevelWindows().isEmpty());
}

TEST_F(UserDriverTest, ABackgroundCheckWhileAnUpdateIsRequiredNeverFailsAnInstall)
{
    // Required, no install tried yet.
    model->setMinimumVersionState(MinimumVersionState::required(needs130));
    FeedAppUpdateDelegate delegate(model.get());
    const AppcastItem item = appcastItem(QStringLiteral("140"), QStringLiteral("1.4.0"));
    delegate.didFindValidUpdate(item, UpdateCheck::background);
    EXPECT_EQ(offer(item, false), UserUpdateChoice::dismiss);
    delegate.didFinishUpdateCycle(UpdateCheck::background, nullptr);
    EXPECT_EQ(model->minimumVersionState(), MinimumVersionState::required(needs130));
    EXPECT_EQ(model->availableUpdate(), (AvailableAppUpdate{QStringLiteral("1.4.0"), QStringLiteral("140")}));

    // After a failed attempt, while the user's next attempt runs: the background reports
    // touch neither the state nor the user's session.
    model->installRequiredUpdate();
    model->markRequiredInstallFailed();
    model->installRequiredUpdate();
    ASSERT_TRUE(model->isUpdateSessionActive());
    model->setMinimumVersionState(MinimumVersionState::required(needs130));
    delegate.didNotFindUpdate(UpdateCheck::background);
    const AppUpdaterError failure(AppUpdaterError::Kind::feedUnavailable);
    delegate.didFinishUpdateCycle(UpdateCheck::background, &failure);
    EXPECT_EQ(offer(item, false), UserUpdateChoice::dismiss);
    EXPECT_EQ(model->minimumVersionState(), MinimumVersionState::required(needs130));
    EXPECT_TRUE(model->isUpdateSessionActive());
    EXPECT_TRUE(visibleTopLevelWindows().isEmpty());

    // The user's own cycle does end the session, and its failure fails the install.
    delegate.didFinishUpdateCycle(UpdateCheck::userInitiated, &failure);
    EXPECT_FALSE(model->isUpdateSessionActive());
    EXPECT_EQ(model->minimumVersionState(), MinimumVersionState::installFailed(needs130));
}

TEST_F(UserDriverTest, AUserCheckOffersTheUpdateInThePromptWithItsNotes)
{
    model->setMinimumVersionState(MinimumVersionState::allowed());
    AppcastItem item = appcastItem(QStringLiteral("130"), QStringLiteral("1.3.0"));
    item.itemDescription = QStringLiteral("**Faster** reading");
    item.itemDescriptionFormat = QStringLiteral("markdown");
    std::optional<UserUpdateChoice> reply;
    userDriver->showUpdateFound(item, UserUpdateState{true}, [&](UserUpdateChoice choice) { reply = choice; });
    EXPECT_EQ(model->availableUpdate(), (AvailableAppUpdate{QStringLiteral("1.3.0"), QStringLiteral("130")}));
    QWidget *panel = userDriver->promptController().panel();
    ASSERT_NE(panel, nullptr);
    auto *browser = panel->findChild<ReleaseNotesBrowser *>();
    // Markdown is read on a worker.
    EXPECT_TRUE(waitUntil([&] { return browser->toPlainText() == QStringLiteral("Faster reading"); }));
    // Rendered, not shown as its markup.
    EXPECT_EQ(browser->document()->find(QStringLiteral("Faster")).charFormat().fontWeight(), QFont::Bold);
    // Notes downloaded later replace them.
    UpdateDownloadData data;
    data.data = "Downloaded notes";
    userDriver->showUpdateReleaseNotes(data);
    EXPECT_TRUE(waitUntil([&] { return browser->toPlainText() == QStringLiteral("Downloaded notes"); }));
    QTest::mouseClick(panel->findChild<QPushButton *>(QStringLiteral("app-update-install")), Qt::LeftButton);
    EXPECT_EQ(reply, UserUpdateChoice::install);

    // Without notes and without a link to fetch them: unavailable rather than loading.
    const AppcastItem bare = appcastItem(QStringLiteral("131"), QStringLiteral("1.3.1"));
    reply.reset();
    userDriver->showUpdateFound(bare, UserUpdateState{true}, [&](UserUpdateChoice choice) { reply = choice; });
    ASSERT_NE(userDriver->promptController().model(), nullptr);
    EXPECT_TRUE(userDriver->promptController().model()->releaseNotesFailed());
    // The end of the cycle closes it without an answer.
    userDriver->dismissUpdateInstallation();
    EXPECT_EQ(userDriver->promptController().panel(), nullptr);
    EXPECT_EQ(reply, std::nullopt);

    // With a link, the notes load until they arrive or fail.
    AppcastItem linked = bare;
    linked.releaseNotesURL = QUrl(QStringLiteral("https://veyra.example/notes"));
    userDriver->showUpdateFound(linked, UserUpdateState{true}, [&](UserUpdateChoice choice) { reply = choice; });
    EXPECT_FALSE(userDriver->promptController().model()->releaseNotesFailed());
    EXPECT_EQ(userDriver->promptController().model()->releaseNotes(), std::nullopt);
    userDriver->showUpdateReleaseNotesFailedToDownload(AppUpdaterError(AppUpdaterError::Kind::releaseNotesUnavailable));
    EXPECT_TRUE(userDriver->promptController().model()->releaseNotesFailed());
    userDriver->promptController().panel()->close();
    EXPECT_EQ(reply, UserUpdateChoice::dismiss);
}

TEST_F(UserDriverTest, NothingNewerAndFailuresAreShownAndAcknowledged)
{
    model->setMinimumVersionState(MinimumVersionState::allowed());
    int acknowledgements = 0;
    userDriver->showUpdateNotFound([&] { ++acknowledgements; });
    QMessageBox *alert = userDriver->alert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->objectName(), QStringLiteral("app-update-alert"));
    EXPECT_EQ(alert->text(), QStringLiteral("You're up to date!"));
    EXPECT_EQ(shownInformativeText(*alert), QStringLiteral("Veyra 1.2.0 is currently the newest version available."));
    saveScreenshot(*alert, QStringLiteral("app-update-up-to-date.png"));
    // It follows the interface language while it is open.
    setCurrentClientLanguage(ClientLanguage::japanese);
    announceInterfaceLanguageChange();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    const QString japanese[] = {alert->windowTitle(), alert->text(), shownInformativeText(*alert),
        alert->findChild<QPushButton *>(QStringLiteral("app-update-alert-ok"))->text(), softwareUpdateWindowTitle()};
    setCurrentClientLanguage(ClientLanguage::english);
    announceInterfaceLanguageChange();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    EXPECT_EQ(japanese[0], japanese[4]);
    EXPECT_TRUE(japanese[0].startsWith(QStringLiteral("ソフトウェア・アップデート")));
    EXPECT_EQ(japanese[1], QStringLiteral("最新の状態です！"));
    EXPECT_EQ(japanese[2], QStringLiteral("Veyra 1.2.0 は現在利用できる最新バージョンです。"));
    EXPECT_EQ(japanese[3], QStringLiteral("OK"));
    EXPECT_EQ(alert->text(), QStringLiteral("You're up to date!"));
    EXPECT_EQ(acknowledgements, 0);
    QTest::mouseClick(alert->findChild<QPushButton *>(QStringLiteral("app-update-alert-ok")), Qt::LeftButton);
    EXPECT_EQ(acknowledgements, 1);

    userDriver->showUpdaterError(AppUpdaterError(AppUpdaterError::Kind::invalidSignature), [&] { ++acknowledgements; });
    ASSERT_NE(userDriver->alert(), nullptr);
    EXPECT_EQ(shownInformativeText(*userDriver->alert()),
        QStringLiteral("The downloaded update isn't signed correctly, so Veyra didn't install it."));
    saveScreenshot(*userDriver->alert(), QStringLiteral("app-update-error.png"));
    // Closed by the end of the cycle: no acknowledgement from the user is pending.
    userDriver->dismissUpdateInstallation();
    QCoreApplication::processEvents();
    EXPECT_EQ(acknowledgements, 1);

    // The download's window: progress, then installing without Cancel.
    bool cancelled = false;
    userDriver->showDownloadInitiated([&] { cancelled = true; });
    userDriver->showDownloadProgress(3 * 1024 * 1024, 12 * 1024 * 1024);
    AppUpdateProgressWindow *progress = userDriver->progressWindow();
    ASSERT_NE(progress, nullptr);
    saveScreenshot(*progress, QStringLiteral("app-update-downloading.png"));
    auto *cancel = progress->findChild<QPushButton *>(QStringLiteral("app-update-progress-cancel"));
    userDriver->showInstallingUpdate();
    EXPECT_FALSE(cancel->isEnabled());
    saveScreenshot(*progress, QStringLiteral("app-update-installing.png"));
    progress->close();
    EXPECT_TRUE(progress->isVisible());
    EXPECT_FALSE(cancelled);
    userDriver->dismissUpdateInstallation();
    EXPECT_EQ(userDriver->progressWindow(), nullptr);

    userDriver->showDownloadInitiated([&] { cancelled = true; });
    QTest::mouseClick(
        userDriver->progressWindow()->findChild<QPushButton *>(QStringLiteral("app-update-progress-cancel")),
        Qt::LeftButton);
    EXPECT_TRUE(cancelled);
}

TEST(FixtureAppUpdateControllerTest, ImitatesTheUpdaterWithFixedValues)
{
    const auto store = std::make_shared<InMemoryAppUpdateAvailabilityStore>();
    auto model = makeModel(store);
    auto owned = std::make_unique<FixtureAppUpdateController>(
        model.get(), std::make_unique<AppUpdatePromptController>(), false);
    FixtureAppUpdateController *fixture = owned.get();
    model->setDriver(std::move(owned));
    EXPECT_FALSE(fixture->canCheckForUpdates());
    ASSERT_TRUE(runTask(model->runMinimumVersionCheck(true)));
    EXPECT_TRUE(fixture->canCheckForUpdates());

    // Nothing available: cleared, the session ends at once, and the user hears that the
    // running version is the newest.
    model->checkForUpdates();
    EXPECT_FALSE(model->isUpdateSessionActive());
    EXPECT_EQ(fixture->promptController().panel(), nullptr);
    QMessageBox *upToDate = fixture->userDriver().alert();
    ASSERT_NE(upToDate, nullptr);
    EXPECT_TRUE(upToDate->isVisible());
    EXPECT_EQ(upToDate->text(), QStringLiteral("You're up to date!"));
    EXPECT_EQ(
        shownInformativeText(*upToDate), QStringLiteral("Veyra 1.2.0 is currently the newest version available."));
    QTest::mouseClick(upToDate->findChild<QPushButton *>(QStringLiteral("app-update-alert-ok")), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(fixture->userDriver().alert(), nullptr);

    // Available: offered in the prompt; the session lasts until the prompt closes.
    model->recordFoundUpdate(QStringLiteral("99.0.0"), QStringLiteral("9999"));
    model->checkForUpdates();
    EXPECT_TRUE(model->isUpdateSessionActive());
    QWidget *panel = fixture->promptController().panel();
    ASSERT_NE(panel, nullptr);
    const ReleaseNotesBrowser *notes = panel->findChild<ReleaseNotesBrowser *>();
    EXPECT_TRUE(waitUntil([notes] { return notes->toPlainText() == QStringLiteral("Fixture release notes."); }));
    // Against the running version the model knows, the one every other screen shows.
    EXPECT_EQ(fixture->promptController().model()->currentVersion(), running);
    QTest::mouseClick(panel->findChild<QPushButton *>(QStringLiteral("app-update-install")), Qt::LeftButton);
    EXPECT_FALSE(model->isUpdateSessionActive());

    // A required install that succeeds records the fixture update; one that fails fails.
    model->setAvailableUpdate(std::nullopt);
    model->setMinimumVersionState(MinimumVersionState::required(needs130));
    model->installRequiredUpdate();
    EXPECT_EQ(model->minimumVersionState(), MinimumVersionState::required(needs130));
    EXPECT_EQ(model->availableUpdate(), (AvailableAppUpdate{QStringLiteral("99.0.0"), QStringLiteral("9999")}));
    EXPECT_FALSE(model->isUpdateSessionActive());

    const auto failing = makeModel();
    failing->setDriver(std::make_unique<FixtureAppUpdateController>(
        failing.get(), std::make_unique<AppUpdatePromptController>(), true));
    failing->setMinimumVersionState(MinimumVersionState::required(needs130));
    failing->installRequiredUpdate();
    EXPECT_EQ(failing->minimumVersionState(), MinimumVersionState::installFailed(needs130));
    EXPECT_FALSE(failing->isUpdateSessionActive());

    // The day-long re-check the allowed check scheduled ends with the model.
    model.reset();
    QCoreApplication::processEvents();
}

TEST(DisabledAppUpdateControllerTest, NeverChecks)
{
    DisabledAppUpdateController disabled;
    disabled.canCheckForUpdatesField = true;
    EXPECT_FALSE(disabled.canCheckForUpdates());
    EXPECT_NO_THROW(disabled.start());

    // With updates disabled, the required install fails at once rather than waiting for
    // a check that never runs; the screen then offers the download.
    auto required = makeModel();
    required->setDriver(std::make_unique<DisabledAppUpdateController>());
    required->setMinimumVersionState(MinimumVersionState::required(needs130));
    EXPECT_TRUE(required->canCheckForUpdates());
    required->installRequiredUpdate();
    EXPECT_EQ(required->minimumVersionState(), MinimumVersionState::installFailed(needs130));
    EXPECT_FALSE(required->isUpdateSessionActive());

    // A report that arrives after the model has gone changes nothing.
    auto model = makeModel();
    FeedAppUpdateDelegate delegate(model.get());
    model.reset();
    delegate.didFindValidUpdate(
        appcastItem(QStringLiteral("130"), QStringLiteral("1.3.0")), UpdateCheck::userInitiated);
    delegate.didNotFindUpdate(UpdateCheck::userInitiated);
    delegate.didFinishUpdateCycle(UpdateCheck::userInitiated, nullptr);
}

} // namespace
