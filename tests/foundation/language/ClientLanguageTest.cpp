// Test label: unit
#include "foundation/errors/Error.h"
#include "foundation/errors/ErrorMessage.h"
#include "foundation/language/ClientLanguageSettingsModel.h"
#include "foundation/language/InMemoryClientLanguageSettingsStore.h"
#include "foundation/language/LocalizedString.h"
#include "foundation/language/UserDefaultsClientLanguageSettingsStore.h"
#include "foundation/settings/UserDefaults.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace veyra;

namespace {

class ClientLanguageTest : public ::testing::Test
{
protected:
    void TearDown() override { setCurrentClientLanguage(ClientLanguage::english); }

    QString defaultsPath() const { return m_dir.filePath(QStringLiteral("defaults.json")); }

    QTemporaryDir m_dir;
};

// Counts writes so that a test can tell "nothing written" from "the same value written".
class CountingStore : public InMemoryClientLanguageSettingsStore
{
public:
    using InMemoryClientLanguageSettingsStore::InMemoryClientLanguageSettingsStore;
    void setLanguageCode(const std::optional<QString> &code) override
    {
        ++writes;
        InMemoryClientLanguageSettingsStore::setLanguageCode(code);
    }
    int writes = 0;
};

// Counts the QEvent::LanguageChange the application receives, which Qt hands on to every
// window.
class LanguageChangeCounter : public QObject
{
public:
    LanguageChangeCounter() { QCoreApplication::instance()->installEventFilter(this); }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == QCoreApplication::instance() && event->type() == QEvent::LanguageChange) {
            ++count;
        }
        return false;
    }
    int count = 0;
};

} // namespace

TEST_F(ClientLanguageTest, DefaultComesFromTheFirstPreferredIdentifierThatMaps)
{
    EXPECT_EQ(defaultClientLanguage({QStringLiteral("fr-FR"), QStringLiteral("ja-JP")}), ClientLanguage::japanese);
    EXPECT_EQ(defaultClientLanguage({QStringLiteral("zh-Hans")}), ClientLanguage::english);
    EXPECT_EQ(defaultClientLanguage({QStringLiteral("KO_kr")}), ClientLanguage::korean);
    EXPECT_EQ(defaultClientLanguage({QStringLiteral("   "), QStringLiteral("-_-"), QStringLiteral(" \n ko ")}),
        ClientLanguage::korean);
    EXPECT_EQ(defaultClientLanguage({QStringLiteral("_ja")}), ClientLanguage::japanese);
    EXPECT_EQ(defaultClientLanguage({QStringLiteral("jap")}), ClientLanguage::english);
    EXPECT_EQ(defaultClientLanguage({}), ClientLanguage::english);
    EXPECT_EQ(defaultClientLanguage({QStringLiteral("en-GB"), QStringLiteral("ko")}), ClientLanguage::english);
}

TEST_F(ClientLanguageTest, ModelReadsRepairsAndPersistsTheStoredCode)
{
    {
        // A stored "ja" wins over the preferred languages.
        UserDefaults defaults(defaultsPath());
        defaults.setValue(QStringLiteral("client_language"), QStringLiteral("ja"));
        ClientLanguageSettingsModel model(
            std::make_unique<UserDefaultsClientLanguageSettingsStore>(defaults), {QStringLiteral("ko-KR")});
        EXPECT_EQ(model.language(), ClientLanguage::japanese);
        EXPECT_EQ(currentClientLanguage(), ClientLanguage::japanese);
    }
    for (const QString &bad : {QStringLiteral("fr"), QStringLiteral("JA"), QString()}) {
        // An unknown code is replaced by the default language's code.
        UserDefaults defaults(defaultsPath());
        defaults.setValue(QStringLiteral("client_language"), bad);
        ClientLanguageSettingsModel model(
            std::make_unique<UserDefaultsClientLanguageSettingsStore>(defaults), {QStringLiteral("ko-KR")});
        EXPECT_EQ(model.language(), ClientLanguage::korean);
        EXPECT_EQ(defaults.string(QStringLiteral("client_language")), QStringLiteral("ko"));
    }
    {
        // Nothing stored: the default is used and nothing is written.
        UserDefaults defaults(defaultsPath());
        defaults.remove(QStringLiteral("client_language"));
        ClientLanguageSettingsModel model(
            std::make_unique<UserDefaultsClientLanguageSettingsStore>(defaults), {QStringLiteral("en-GB")});
        EXPECT_EQ(model.language(), ClientLanguage::english);
        EXPECT_FALSE(defaults.contains(QStringLiteral("client_language")));

        model.setLanguage(ClientLanguage::korean);
        EXPECT_EQ(currentClientLanguage(), ClientLanguage::korean);
    }
    {
        // The choice survives a restart.
        UserDefaults defaults(defaultsPath());
        EXPECT_EQ(defaults.string(QStringLiteral("client_language")), QStringLiteral("ko"));
    }
}

TEST_F(ClientLanguageTest, SettingAndResetting)
{
    auto store = std::make_unique<CountingStore>();
    CountingStore *counting = store.get();
    ClientLanguageSettingsModel model(std::move(store), {QStringLiteral("ja")});
    QSignalSpy changes(&model, &ClientLanguageSettingsModel::languageChanged);
    LanguageChangeCounter views;
    EXPECT_EQ(counting->writes, 0);

    // The language already chosen: nothing is published or written.
    model.setLanguage(ClientLanguage::japanese);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(counting->writes, 0);
    EXPECT_EQ(views.count, 0);

    // The process-wide language has changed by the time the signal arrives.
    ClientLanguage seenBySlot = ClientLanguage::japanese;
    QObject::connect(
        &model, &ClientLanguageSettingsModel::languageChanged, [&seenBySlot] { seenBySlot = currentClientLanguage(); });
    model.setLanguage(ClientLanguage::english);
    EXPECT_EQ(seenBySlot, ClientLanguage::english);
    EXPECT_EQ(counting->languageCode(), QStringLiteral("en"));
    EXPECT_EQ(changes.count(), 1);
    // Every view is told.
    EXPECT_EQ(views.count, 1);

    model.resetToDefault();
    EXPECT_FALSE(counting->languageCode());
    EXPECT_EQ(model.language(), ClientLanguage::japanese);
    EXPECT_EQ(currentClientLanguage(), ClientLanguage::japanese);
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(views.count, 2);
}

TEST_F(ClientLanguageTest, LocalizedStringLooksUpTheCurrentLanguage)
{
    const QString key = QStringLiteral("Edit Capture Areas");
    setCurrentClientLanguage(ClientLanguage::english);
    EXPECT_EQ(localizedString(key), key);

    setCurrentClientLanguage(ClientLanguage::korean);
    EXPECT_EQ(localizedString(key), QString::fromUtf8("캡처 영역 편집"));
    EXPECT_EQ(localizedString(QStringLiteral("A text nobody translated")), QStringLiteral("A text nobody translated"));

    setCurrentClientLanguage(ClientLanguage::japanese);
    EXPECT_EQ(localizedString(key), QString::fromUtf8("キャプチャ領域を編集"));

    // A message about a failure is worded when it is read, not when it is made: one made in
    // Korean reads in the language of each later reading, its cause included.
    setCurrentClientLanguage(ClientLanguage::korean);
    const ErrorMessage failure = ErrorMessage::text("Veyra couldn't save the note: %@",
        {ErrorMessage::describing(std::make_exception_ptr(
            LocalizedError(QStringLiteral("The saved game notes use an unsupported format."))))});
    EXPECT_EQ(failure.localized(),
        QString::fromUtf8("Veyra가 메모를 저장하지 못했습니다: 저장된 게임 메모의 형식이 지원되지 않습니다."));
    setCurrentClientLanguage(ClientLanguage::japanese);
    EXPECT_EQ(failure.localized(),
        QString::fromUtf8("Veyraはメモを保存できませんでした: 保存されたゲームメモの形式はサポートされていません。"));
    setCurrentClientLanguage(ClientLanguage::english);
    EXPECT_EQ(failure.localized(),
        QStringLiteral("Veyra couldn't save the note: The saved game notes use an unsupported format."));

    EXPECT_EQ(formatPlaceholders(QStringLiteral("Quit and reopen %@ to load %@."), {QStringLiteral("Veyra")}),
        QStringLiteral("Quit and reopen Veyra to load %@."));
    EXPECT_EQ(formatPlaceholders(QStringLiteral("%@ and %@"), {QStringLiteral("%@"), QStringLiteral("b")}),
        QStringLiteral("%@ and b"));
}

TEST_F(ClientLanguageTest, FixtureModelStartsInEnglishWithNothingStored)
{
    UserDefaults defaults(defaultsPath());
    defaults.setValue(QStringLiteral("client_language"), QStringLiteral("ja"));
    auto model = ClientLanguageSettingsModel::make(true, defaults);
    EXPECT_EQ(model->language(), ClientLanguage::english);
    EXPECT_FALSE(model->store().languageCode());
    model->setLanguage(ClientLanguage::korean);
    EXPECT_EQ(defaults.string(QStringLiteral("client_language")), QStringLiteral("ja"));
}
