// Test label: ui
// The quit-and-reopen alert: its texts in the interface language, one button, and a
// task that ends when the alert is dismissed (without a nested event loop).
#include "capture/windows/QtPermissionRestartPresenter.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/language/ClientLanguage.h"
#include "foundation/language/InterfaceLanguageChange.h"
#include "support/RunTask.h"
#include "support/ShownText.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace veyra;
using veyra::test::runTask;
using veyra::test::shownInformativeText;
using veyra::test::waitUntil;

namespace {

QMessageBox *openAlert()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(widget); box != nullptr
            && box->objectName() == QLatin1String(QtPermissionRestartPresenter::alertObjectName) && box->isVisible()) {
            return box;
        }
    }
    return nullptr;
}

} // namespace

TEST(QtPermissionRestartPresenter, ShowsTheAlertAndEndsWhenQuitIsPressed)
{
    QtPermissionRestartPresenter presenter;
    QCoro::Task<void> prompt = presenter.presentRestartPrompt();

    QMessageBox *alert = openAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->icon(), QMessageBox::Information);
    EXPECT_EQ(alert->text(), QStringLiteral("Screen Recording Permission Granted"));
    EXPECT_EQ(shownInformativeText(*alert),
        QStringLiteral("Quit and reopen %1 to load available windows.").arg(appDisplayName()));
    const QList<QAbstractButton *> buttons = alert->buttons();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons.front()->text(), QStringLiteral("Quit"));

    QTimer::singleShot(0, buttons.front(), &QAbstractButton::click);
    runTask(std::move(prompt));
    EXPECT_TRUE(waitUntil([] { return openAlert() == nullptr; }));
}

TEST(QtPermissionRestartPresenter, FollowsTheInterfaceLanguageAndEndsWhenTheAlertGoesAway)
{
    QtPermissionRestartPresenter presenter;
    QCoro::Task<void> prompt = presenter.presentRestartPrompt();
    QMessageBox *alert = openAlert();
    ASSERT_NE(alert, nullptr);
    // The language changes while the alert is open.
    setCurrentClientLanguage(ClientLanguage::japanese);
    announceInterfaceLanguageChange();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    setCurrentClientLanguage(ClientLanguage::english);
    EXPECT_EQ(alert->text(), QStringLiteral("画面収録の権限が許可されました"));
    EXPECT_TRUE(shownInformativeText(*alert).contains(appDisplayName()));
    EXPECT_EQ(alert->buttons().front()->text(), QStringLiteral("終了"));

    // Closed from elsewhere (the application shutting down): the task still ends.
    QTimer::singleShot(0, alert, [alert] { delete alert; });
    runTask(std::move(prompt));
}
