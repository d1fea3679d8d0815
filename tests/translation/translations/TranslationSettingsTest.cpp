// Test label: unit
#include "foundation/json/JsonDecoding.h"
#include "foundation/settings/UserDefaults.h"
#include "translation/translations/InMemoryTranslationSettingsStore.h"
#include "translation/translations/TranslationSettingsModel.h"
#include "translation/translations/UserDefaultsTranslationSettingsStore.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace veyra;

namespace {

const QString key = QStringLiteral("translation_target_language");

// Counts writes so that a test can tell "nothing written" from "the same value written".
class CountingStore : public InMemoryTranslationSettingsStore
{
public:
    using InMemoryTranslationSettingsStore::InMemoryTranslationSettingsStore;
    void setTargetLanguageCode(const std::optional<QString> &code) override
    {
        ++writes;
        InMemoryTranslationSettingsStore::setTargetLanguageCode(code);
    }
    int writes = 0;
};

class TranslationSettingsTest : public ::testing::Test
{
protected:
    QString defaultsPath() const { return m_dir.filePath(QStringLiteral("defaults.json")); }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(TranslationSettingsTest, LanguageCodesAndJson)
{
    EXPECT_EQ(allTranslationTargetLanguages,
        (std::array{TranslationTargetLanguage::korean, TranslationTargetLanguage::japanese,
            TranslationTargetLanguage::english}));
    for (TranslationTargetLanguage language : allTranslationTargetLanguages) {
        EXPECT_EQ(translationTargetLanguageFromRawValue(rawValue(language)), language);
        EXPECT_EQ(translationTargetLanguageFromJson(toJson(language)), language);
    }
    for (const char *unknown : {"KO", " ko", "ko-KR", "fr", ""}) {
        EXPECT_FALSE(translationTargetLanguageFromRawValue(QString::fromLatin1(unknown))) << unknown;
        EXPECT_THROW(translationTargetLanguageFromJson(QString::fromLatin1(unknown)), DecodingError);
    }
    EXPECT_THROW(translationTargetLanguageFromJson(QJsonValue(1)), DecodingError);
    EXPECT_NE(qHash(TranslationTargetLanguage::korean), qHash(TranslationTargetLanguage::japanese));
}

TEST_F(TranslationSettingsTest, DefaultFollowsThePreferredLanguages)
{
    EXPECT_EQ(defaultTranslationTargetLanguage({QStringLiteral("fr-FR"), QStringLiteral("ja-JP")}),
        TranslationTargetLanguage::japanese);
    EXPECT_EQ(defaultTranslationTargetLanguage({QStringLiteral("zh-Hans")}), TranslationTargetLanguage::english);
    EXPECT_EQ(defaultTranslationTargetLanguage({QStringLiteral("KO_kr")}), TranslationTargetLanguage::korean);
    EXPECT_EQ(
        defaultTranslationTargetLanguage({QStringLiteral(" \t "), QStringLiteral("-_-"), QStringLiteral("\nko\n")}),
        TranslationTargetLanguage::korean);
    EXPECT_EQ(defaultTranslationTargetLanguage({}), TranslationTargetLanguage::english);

    // Nothing stored: the default, and the key stays absent.
    UserDefaults defaults(defaultsPath());
    TranslationSettingsModel model(
        std::make_unique<UserDefaultsTranslationSettingsStore>(defaults), {QStringLiteral("ko-KR")});
    EXPECT_EQ(model.targetLanguage(), TranslationTargetLanguage::korean);
    EXPECT_EQ(model.defaultLanguage(), TranslationTargetLanguage::korean);
    EXPECT_FALSE(defaults.contains(key));
}

TEST_F(TranslationSettingsTest, StoredCodeWinsAndABadOneIsRepaired)
{
    {
        UserDefaults defaults(defaultsPath());
        defaults.setValue(key, QStringLiteral("ja"));
        TranslationSettingsModel model(
            std::make_unique<UserDefaultsTranslationSettingsStore>(defaults), {QStringLiteral("ko-KR")});
        EXPECT_EQ(model.targetLanguage(), TranslationTargetLanguage::japanese);
        EXPECT_EQ(model.targetLanguageCode(), QStringLiteral("ja"));
    }
    for (const QString &bad : {QStringLiteral("fr"), QStringLiteral("JA"), QString()}) {
        UserDefaults defaults(defaultsPath());
        defaults.setValue(key, bad);
        TranslationSettingsModel model(
            std::make_unique<UserDefaultsTranslationSettingsStore>(defaults), {QStringLiteral("en-US")});
        EXPECT_EQ(model.targetLanguage(), TranslationTargetLanguage::english);
        EXPECT_EQ(defaults.string(key), QStringLiteral("en")) << bad.toStdString();
    }
    {
        // Not text at all.
        UserDefaults defaults(defaultsPath());
        defaults.setValue(key, QByteArray("\x01\x02"));
        TranslationSettingsModel model(
            std::make_unique<UserDefaultsTranslationSettingsStore>(defaults), {QStringLiteral("ja")});
        EXPECT_EQ(model.targetLanguage(), TranslationTargetLanguage::japanese);
    }
}

TEST_F(TranslationSettingsTest, ChoosingAndResetting)
{
    auto store = std::make_unique<CountingStore>();
    CountingStore *counting = store.get();
    TranslationSettingsModel model(std::move(store), {QStringLiteral("ja")});
    QSignalSpy changes(&model, &TranslationSettingsModel::targetLanguageChanged);
    EXPECT_EQ(counting->writes, 0);

    model.setTargetLanguage(TranslationTargetLanguage::japanese);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(counting->writes, 0);

    model.setTargetLanguage(TranslationTargetLanguage::english);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(counting->targetLanguageCode(), QStringLiteral("en"));

    model.resetToDefault();
    EXPECT_FALSE(counting->targetLanguageCode());
    EXPECT_EQ(model.targetLanguage(), TranslationTargetLanguage::japanese);
    EXPECT_EQ(changes.count(), 2);

    // Through the user defaults: the choice persists, a reset removes the key.
    {
        UserDefaults defaults(defaultsPath());
        TranslationSettingsModel persisted(
            std::make_unique<UserDefaultsTranslationSettingsStore>(defaults), {QStringLiteral("en")});
        persisted.setTargetLanguage(TranslationTargetLanguage::korean);
    }
    {
        UserDefaults defaults(defaultsPath());
        EXPECT_EQ(defaults.string(key), QStringLiteral("ko"));
        TranslationSettingsModel persisted(
            std::make_unique<UserDefaultsTranslationSettingsStore>(defaults), {QStringLiteral("en")});
        EXPECT_EQ(persisted.targetLanguage(), TranslationTargetLanguage::korean);
        persisted.resetToDefault();
        EXPECT_FALSE(defaults.contains(key));
        EXPECT_EQ(persisted.targetLanguage(), TranslationTargetLanguage::english);
    }
}

TEST_F(TranslationSettingsTest, FixtureModeTranslatesIntoEnglishAndStoresNothing)
{
    UserDefaults defaults(defaultsPath());
    defaults.setValue(key, QStringLiteral("ko"));
    const auto fixture = makeTranslationSettingsModel(true, defaults);
    EXPECT_EQ(fixture->targetLanguage(), TranslationTargetLanguage::english);
    fixture->setTargetLanguage(TranslationTargetLanguage::japanese);
    fixture->resetToDefault();
    EXPECT_EQ(defaults.string(key), QStringLiteral("ko"));
    EXPECT_TRUE(dynamic_cast<const InMemoryTranslationSettingsStore *>(&fixture->store()));

    const auto live = makeTranslationSettingsModel(false, defaults);
    EXPECT_EQ(live->targetLanguage(), TranslationTargetLanguage::korean);
    EXPECT_TRUE(dynamic_cast<const UserDefaultsTranslationSettingsStore *>(&live->store()));
}
