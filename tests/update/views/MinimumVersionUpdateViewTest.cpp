// Test label: ui
#include "update/views/MinimumVersionUpdateView.h"
#include "brand/BrandIcons.h"
#include "foundation/language/ClientLanguage.h"
#include "support/AnsweredPolicyClient.h"
#include "support/RunTask.h"
#include "support/TestScreenshots.h"
#include "support/UpdateTestDoubles.h"
#include "update/model/AppUpdateModel.h"
#include "update/policy/InMemoryMinimumVersionPolicyStore.h"
#include "update/scheduling/MinimumVersionScheduling.h"
#include "update/version/InMemoryAppUpdateAvailabilityStore.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;

namespace {

const AppVersionInfo running{QStringLiteral("1.2.0"), QStringLiteral("120")};
const MinimumVersionRequirement needs130{running, QStringLiteral("130"), QStringLiteral("1.3.0")};
const QStringList allButtons{QStringLiteral("minimum-version-retry"), QStringLiteral("required-update-install"),
    QStringLiteral("required-update-retry"), QStringLiteral("required-update-download"),
    QStringLiteral("minimum-version-quit")};

// Schedules nothing that could outlive the test.
class IdleScheduler : public MinimumVersionScheduling
{
public:
    std::unique_ptr<MinimumVersionScheduledTask> schedule(double, std::function<void()>) override
    {
        class Idle : public MinimumVersionScheduledTask
        {
        public:
            void cancel() override { }
        };
        return std::make_unique<Idle>();
    }
};

class MinimumVersionUpdateViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QApplication::setWindowIcon(veyraApplicationIcon());
        AppUpdateModel::Services services;
        services.currentVersion = running;
        services.store = std::make_shared<InMemoryAppUpdateAvailabilityStore>();
        services.minimumVersionClient = client;
        services.minimumVersionStore = std::make_shared<InMemoryMinimumVersionPolicyStore>();
        services.scheduler = std::make_shared<IdleScheduler>();
        services.webPageOpener = [this] { ++homePageOpenings; };
        model = std::make_unique<AppUpdateModel>(std::move(services));
        auto counting = std::make_unique<CountingUpdateDriver>();
        driver = counting.get();
        model->setDriver(std::move(counting));
        view = std::make_unique<MinimumVersionUpdateView>(
            model.get(), model->webPageOpener(), [this] { ++allowedCalls; });
        view->setQuitAction([this] { ++quits; });
        view->resize(720, 560);
        view->show();
    }

    QPushButton *button(const QString &name) const { return view->findChild<QPushButton *>(name); }
    QString text(const char *name) const { return view->findChild<QLabel *>(QString::fromLatin1(name))->text(); }
    bool shown(const QString &name) const
    {
        const QWidget *widget = view->findChild<QWidget *>(name);
        return widget && widget->isVisibleTo(view.get());
    }
    QStringList shownButtons() const
    {
        QStringList names;
        for (const QString &name : allButtons) {
            if (shown(name)) {
                names << name;
            }
        }
        return names;
    }
    // Saves what the screen shows once laid out, and checks that no text of it is cut.
    void screenshot(const QString &state) const
    {
        // Layouts settle level by level, one turn of the event loop each.
        for (int turn = 0; turn < 5; ++turn) {
            QCoreApplication::processEvents();
        }
        saveScreenshot(*view, QStringLiteral("minimum-version-%1.png").arg(state));
        for (const QLabel *label : view->findChildren<QLabel *>()) {
            if (label->isVisibleTo(view.get()) && !label->text().isEmpty()) {
                EXPECT_GE(label->width(), label->minimumSizeHint().width()) << label->text().toStdString();
                EXPECT_GE(label->height(), label->heightForWidth(label->width())) << label->text().toStdString();
            }
        }
        // Every button is at least 240 wide, and wider where its text needs more.
        for (const QString &name : shownButtons()) {
            const QPushButton *shownButton = button(name);
            EXPECT_GE(shownButton->width(), 240) << name.toStdString();
            EXPECT_GE(shownButton->width(), shownButton->sizeHint().width()) << name.toStdString();
        }
    }

    std::shared_ptr<AnsweredPolicyClient> client = std::make_shared<AnsweredPolicyClient>();
    std::unique_ptr<AppUpdateModel> model;
    CountingUpdateDriver *driver = nullptr;
    std::unique_ptr<MinimumVersionUpdateView> view;
    int homePageOpenings = 0;
    int allowedCalls = 0;
    int quits = 0;
};

TEST_F(MinimumVersionUpdateViewTest, ShowsOneCardPerStateWithExactlyItsActions)
{
    // Checking: a progress indicator and no button at all, not even Quit.
    EXPECT_TRUE(shown(QStringLiteral("minimum-version-card")));
    EXPECT_EQ(text("minimum-version-title"), QStringLiteral("Checking the app version…"));
    EXPECT_EQ(text("minimum-version-message"),
        QStringLiteral("Veyra will continue after confirming this version is supported."));
    EXPECT_TRUE(shown(QStringLiteral("minimum-version-checking")));
    EXPECT_TRUE(shownButtons().isEmpty());
    EXPECT_TRUE(view->findChild<QLabel *>(QStringLiteral("minimum-version-lockup")) == nullptr);
    screenshot(QStringLiteral("checking"));

    model->setMinimumVersionState(MinimumVersionState::checkFailed());
    EXPECT_EQ(text("minimum-version-title"), QStringLiteral("The app version couldn't be verified."));
    EXPECT_EQ(text("minimum-version-message"), QStringLiteral("Check your internet connection and try again."));
    EXPECT_FALSE(shown(QStringLiteral("minimum-version-checking")));
    EXPECT_EQ(
        shownButtons(), (QStringList{QStringLiteral("minimum-version-retry"), QStringLiteral("minimum-version-quit")}));
    EXPECT_EQ(button(QStringLiteral("minimum-version-retry"))->text(), QStringLiteral("Try Again"));
    EXPECT_EQ(button(QStringLiteral("minimum-version-quit"))->text(), QStringLiteral("Quit Veyra"));
    screenshot(QStringLiteral("check-failed"));

    model->setMinimumVersionState(MinimumVersionState::required(needs130));
    EXPECT_EQ(text("minimum-version-title"), QStringLiteral("Update Veyra to continue."));
    EXPECT_EQ(text("minimum-version-message"),
        QStringLiteral("This version is no longer supported. Update and restart Veyra."));
    EXPECT_EQ(text("minimum-version-current-version"), QStringLiteral("Current version: 1.2.0"));
    EXPECT_EQ(text("minimum-version-required-version"), QStringLiteral("Requires Veyra 1.3.0 or later"));
    EXPECT_EQ(shownButtons(),
        (QStringList{QStringLiteral("required-update-install"), QStringLiteral("minimum-version-quit")}));
    EXPECT_EQ(button(QStringLiteral("required-update-install"))->text(), QStringLiteral("Update"));
    screenshot(QStringLiteral("required"));

    model->setMinimumVersionState(MinimumVersionState::installFailed(needs130));
    EXPECT_EQ(text("minimum-version-title"), QStringLiteral("The update couldn't be installed."));
    EXPECT_EQ(
        text("minimum-version-message"), QStringLiteral("Try again or download the latest Veyra from the website."));
    EXPECT_TRUE(shown(QStringLiteral("minimum-version-current-version")));
    EXPECT_EQ(shownButtons(),
        (QStringList{QStringLiteral("required-update-retry"), QStringLiteral("required-update-download"),
            QStringLiteral("minimum-version-quit")}));
    EXPECT_EQ(button(QStringLiteral("required-update-download"))->text(), QStringLiteral("Download from Website"));
    screenshot(QStringLiteral("install-failed"));

    // Allowed: the background and the lockup, no card.
    model->setMinimumVersionState(MinimumVersionState::allowed());
    EXPECT_FALSE(shown(QStringLiteral("minimum-version-card")));
    EXPECT_TRUE(shown(QStringLiteral("minimum-version-lockup")));
    screenshot(QStringLiteral("allowed"));

    // In Korean, every text follows.
    setCurrentClientLanguage(ClientLanguage::korean);
    model->setMinimumVersionState(MinimumVersionState::installFailed(needs130));
    EXPECT_NE(text("minimum-version-title"), QStringLiteral("The update couldn't be installed."));
    EXPECT_NE(button(QStringLiteral("minimum-version-quit"))->text(), QStringLiteral("Quit Veyra"));
    screenshot(QStringLiteral("install-failed-ko"));
    setCurrentClientLanguage(ClientLanguage::japanese);
    model->setMinimumVersionState(MinimumVersionState::required(needs130));
    screenshot(QStringLiteral("required-ja"));
    setCurrentClientLanguage(ClientLanguage::english);
}

TEST_F(MinimumVersionUpdateViewTest, TryAgainRetriesTheCheckAndGoesOnOnlyWhenAllowed)
{
    model->setMinimumVersionState(MinimumVersionState::checkFailed());
    QTest::mouseClick(button(QStringLiteral("minimum-version-retry")), Qt::LeftButton);
    // The checking card at once, while the check runs.
    EXPECT_EQ(model->minimumVersionState(), MinimumVersionState::checking());
    EXPECT_TRUE(shownButtons().isEmpty());
    ASSERT_TRUE(waitUntil([&] { return client->waitingCount() == 1; }));
    client->answer(MinimumVersionPolicyError::Kind::downloadFailed);
    ASSERT_TRUE(waitUntil([&] { return model->minimumVersionState() == MinimumVersionState::checkFailed(); }));
    EXPECT_EQ(allowedCalls, 0);

    QTest::mouseClick(button(QStringLiteral("minimum-version-retry")), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return client->waitingCount() == 1; }));
    client->answer(verifiedPolicy(QStringLiteral("130")));
    ASSERT_TRUE(waitUntil([&] { return model->isUpdateRequired(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(allowedCalls, 0);

    model->setMinimumVersionState(MinimumVersionState::checkFailed());
    QTest::mouseClick(button(QStringLiteral("minimum-version-retry")), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return client->waitingCount() == 1; }));
    client->answer(verifiedPolicy(QStringLiteral("100"), 2));
    ASSERT_TRUE(waitUntil([&] { return allowedCalls == 1; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(allowedCalls, 1);
    EXPECT_FALSE(shown(QStringLiteral("minimum-version-card")));
}

TEST_F(MinimumVersionUpdateViewTest, WorkButtonsWaitForTheUpdateSessionAndEveryActionReachesItsTarget)
{
    model->setMinimumVersionState(MinimumVersionState::required(needs130));
    QTest::mouseClick(button(QStringLiteral("required-update-install")), Qt::LeftButton);
    EXPECT_EQ(driver->checks, 1);
    EXPECT_TRUE(model->isUpdateSessionActive());
    EXPECT_FALSE(button(QStringLiteral("required-update-install"))->isEnabled());
    screenshot(QStringLiteral("required-updating"));

    model->markRequiredInstallFailed();
    EXPECT_TRUE(button(QStringLiteral("required-update-retry"))->isEnabled());
    QTest::mouseClick(button(QStringLiteral("required-update-retry")), Qt::LeftButton);
    EXPECT_EQ(driver->checks, 2);
    EXPECT_FALSE(button(QStringLiteral("required-update-retry"))->isEnabled());
    // Download and Quit stay enabled.
    QTest::mouseClick(button(QStringLiteral("required-update-download")), Qt::LeftButton);
    EXPECT_EQ(homePageOpenings, 1);
    QTest::mouseClick(button(QStringLiteral("minimum-version-quit")), Qt::LeftButton);
    EXPECT_EQ(quits, 1);
    model->setMinimumVersionState(MinimumVersionState::checkFailed());
    EXPECT_FALSE(button(QStringLiteral("minimum-version-retry"))->isEnabled());
    model->setUpdateSessionActive(false);
    EXPECT_TRUE(button(QStringLiteral("minimum-version-retry"))->isEnabled());
}

TEST_F(MinimumVersionUpdateViewTest, VersionNumbersUseDigitsOfOneWidth)
{
    model->setMinimumVersionState(MinimumVersionState::required(needs130));
    for (const char *name : {"minimum-version-current-version", "minimum-version-required-version"}) {
        const QFontMetricsF metrics(view->findChild<QLabel *>(QString::fromLatin1(name))->font());
        for (char digit = '1'; digit <= '9'; ++digit) {
            EXPECT_DOUBLE_EQ(
                metrics.horizontalAdvance(QLatin1Char(digit)), metrics.horizontalAdvance(QLatin1Char('0')));
        }
    }
}

} // namespace
