// Test label: ui
#include "app/root/ApplicationScenes.h"
#include "app/root/ObriskApp.h"
#include "foundation/async/AsyncTask.h"
#include "foundation/language/ClientLanguage.h"
#include "foundation/language/InterfaceLanguageChange.h"
#include "foundation/settings/UserDefaults.h"
#include "foundation/text/PlainText.h"
#include "support/LogCapture.h"
#include "support/RunTask.h"
#include "support/SmallDisk.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

using namespace veyra;
using namespace veyra::test;

TEST(SettingsNotSavedAlert, AFailedSettingsWriteIsToldOnceWithoutTakingTheKeyboard)
{
    SmallDisk disk(64);
    if (!disk.isMounted()) {
        GTEST_SKIP() << disk.errorString().toStdString();
    }
    const QString path = disk.filePath(QStringLiteral("defaults.json"));
    UserDefaults defaults(path);
    defaults.setValue(QStringLiteral("client_language"), QStringLiteral("en"));
    defaults.sync();
    ObriskApp app({QStringLiteral("veyra"), QStringLiteral("--ui-testing")}, mainInfoDictionary(), defaults);
    std::optional<ApplicationScenes> scenes(std::in_place, app);
    ASSERT_TRUE(disk.fill());

    // A change is written on the next turn of the event loop, and fails.
    defaults.setValue(QStringLiteral("layouts"), QByteArray(9000, 'x'));
    ASSERT_TRUE(waitUntil([&] { return scenes->settingsNotSavedAlert() != nullptr; }));
    QMessageBox *alert = scenes->settingsNotSavedAlert();
    EXPECT_TRUE(alert->isVisible());
    EXPECT_EQ(alert->windowModality(), Qt::NonModal);
    EXPECT_TRUE(alert->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(alert->text(), QStringLiteral("Veyra couldn't save its settings."));
    EXPECT_EQ(alert->informativeText(),
        richTextOfPlainText(
            QStringLiteral("The file “%1” couldn't be saved. (No space left on device) Veyra tries again with every "
                           "change; until that works, changed settings are lost when Veyra quits.")
                .arg(path)));
    // In the player's language, as every alert.
    setCurrentClientLanguage(ClientLanguage::japanese);
    announceInterfaceLanguageChange();
    EXPECT_TRUE(waitUntil([&] { return alert->text() == QStringLiteral("Veyraは設定を保存できませんでした。"); }));
    setCurrentClientLanguage(ClientLanguage::english);
    announceInterfaceLanguageChange();
    alert->close();
    EXPECT_TRUE(waitUntil([&] { return scenes->settingsNotSavedAlert() == nullptr; }));

    // Later failures are logged, each of them, and not told again.
    LogCapture log;
    defaults.setValue(QStringLiteral("client_language"), QStringLiteral("ko"));
    defaults.sync();
    giveRemainingTurns();
    EXPECT_EQ(log.messages(QStringLiteral("UserDefaults")).size(), 1);
    EXPECT_EQ(scenes->settingsNotSavedAlert(), nullptr);
    for (QWidget *window : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(window->isVisible() && qobject_cast<QMessageBox *>(window)) << window->objectName().toStdString();
    }

    // Without the scenes, a failure is only logged.
    scenes.reset();
    defaults.setValue(QStringLiteral("client_language"), QStringLiteral("ja"));
    defaults.sync();
    EXPECT_EQ(log.messages(QStringLiteral("UserDefaults")).size(), 2);
}

TEST(SettingsNotSavedAlert, SettingsKeptInMemoryOnlyAreToldOnceAsAFailedWriteIs)
{
    // A folder where the settings file should be: the settings live in memory for the run.
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("defaults.json"));
    ASSERT_TRUE(QDir().mkpath(path));
    UserDefaults defaults(path);
    ASSERT_FALSE(defaults.isBackedByFile());
    ObriskApp app({QStringLiteral("veyra"), QStringLiteral("--ui-testing")}, mainInfoDictionary(), defaults);
    std::optional<ApplicationScenes> scenes(std::in_place, app);

    defaults.setValue(QStringLiteral("client_language"), QStringLiteral("en"));
    ASSERT_TRUE(waitUntil([&] { return scenes->settingsNotSavedAlert() != nullptr; }));
    QMessageBox *alert = scenes->settingsNotSavedAlert();
    EXPECT_TRUE(alert->isVisible());
    EXPECT_TRUE(alert->testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(alert->text(), QStringLiteral("Veyra couldn't save its settings."));
    // No write is tried again in this run, and the alert doesn't say otherwise.
    EXPECT_EQ(alert->informativeText(),
        richTextOfPlainText(QStringLiteral("The file “%1” couldn't be saved. (It is a folder, not a file.) Veyra "
                                           "keeps its settings in memory only for this run: changed settings are lost "
                                           "when Veyra quits.")
                                .arg(path)));
    setCurrentClientLanguage(ClientLanguage::japanese);
    announceInterfaceLanguageChange();
    // The reason too.
    EXPECT_TRUE(waitUntil([&] {
        return alert->informativeText().endsWith(QStringLiteral(
            "(フォルダであり、ファイルではありません。) "
            "Veyraは今回の実行中、設定をメモリにだけ保持します。変更した設定はVeyraを終了すると失われます。</p>"));
    })) << alert->informativeText().toStdString();
    setCurrentClientLanguage(ClientLanguage::english);
    announceInterfaceLanguageChange();
    alert->close();
    EXPECT_TRUE(waitUntil([&] { return scenes->settingsNotSavedAlert() == nullptr; }));

    // Later changes are logged, and not told again.
    LogCapture log;
    defaults.setValue(QStringLiteral("client_language"), QStringLiteral("ko"));
    defaults.sync();
    giveRemainingTurns();
    EXPECT_EQ(log.messages(QStringLiteral("UserDefaults")).size(), 1);
    EXPECT_EQ(scenes->settingsNotSavedAlert(), nullptr);
}
