// Test label: unit
#include "update/version/AppVersionInfo.h"
#include "foundation/settings/UserDefaults.h"
#include "update/version/BuildComparison.h"
#include "update/version/InMemoryAppUpdateAvailabilityStore.h"
#include "update/version/UserDefaultsAppUpdateAvailabilityStore.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace veyra;

TEST(AppVersionInfoTest, BothStringsTrimmedAndNotBlank)
{
    const auto info = [](const QVariant &version, const QVariant &build) {
        InfoDictionary dictionary;
        if (version.isValid()) {
            dictionary.insert(QStringLiteral("CFBundleShortVersionString"), version);
        }
        if (build.isValid()) {
            dictionary.insert(QStringLiteral("CFBundleVersion"), build);
        }
        return AppVersionInfo::fromInfoDictionary(dictionary);
    };
    EXPECT_EQ(info(QStringLiteral(" \n1.2\t"), QStringLiteral("\u00a0120 ")),
        (AppVersionInfo{QStringLiteral("1.2"), QStringLiteral("120")}));
    EXPECT_EQ(info(QStringLiteral("1.2"), {}), std::nullopt);
    EXPECT_EQ(info({}, QStringLiteral("120")), std::nullopt);
    EXPECT_EQ(info(QStringLiteral("1.2"), QStringLiteral(" \u2028")), std::nullopt);
    EXPECT_EQ(info(1.2, QStringLiteral("120")), std::nullopt);
    EXPECT_EQ(info(QStringLiteral("1.2"), 120), std::nullopt);
    EXPECT_EQ(AppVersionInfo::fromInfoDictionary({}), std::nullopt);
}

TEST(BuildComparisonTest, DigitRunsCompareByValueAndBlanksAroundDoNotCount)
{
    EXPECT_TRUE(isBuildNumericallyNewer(QStringLiteral("10"), QStringLiteral("9")));
    EXPECT_TRUE(isBuildNumericallyNewer(QStringLiteral("1.10"), QStringLiteral("1.9")));
    EXPECT_TRUE(isBuildNumericallyNewer(QStringLiteral("120"), QStringLiteral("99")));
    EXPECT_FALSE(isBuildNumericallyNewer(QStringLiteral("99"), QStringLiteral("120")));
    EXPECT_FALSE(isBuildNumericallyNewer(QStringLiteral("120"), QStringLiteral("120")));
    EXPECT_TRUE(isBuildNumericallyNewer(QStringLiteral("1.2.1"), QStringLiteral("1.2")));
    EXPECT_TRUE(isBuildNumericallyNewer(QStringLiteral("2"), QStringLiteral("1.9")));
    EXPECT_TRUE(isBuildNumericallyNewer(QStringLiteral("1b"), QStringLiteral("1a")));
    EXPECT_EQ(compareBuilds(QStringLiteral("007"), QStringLiteral("7")), std::strong_ordering::equal);

    // Runs longer than any integer type.
    EXPECT_TRUE(isBuildNumericallyNewer(
        QStringLiteral("100000000000000000000000000001"), QStringLiteral("100000000000000000000000000000")));
    EXPECT_TRUE(isBuildNumericallyNewer(QStringLiteral("100000000000000000000000000000"), QStringLiteral("9")));

    // A signed " 120" against the running 99: a blank must not compare against a digit.
    EXPECT_TRUE(isBuildNumericallyNewer(QStringLiteral(" 120"), QStringLiteral("99")));
    EXPECT_FALSE(isBuildNumericallyNewer(QStringLiteral("99\n"), QStringLiteral("120")));
    EXPECT_EQ(compareBuilds(QStringLiteral("\t120 "), QStringLiteral("120")), std::strong_ordering::equal);

    // Decimal digits of other scripts count by value.
    EXPECT_EQ(compareBuilds(QStringLiteral("\u0661\u0662\u0660"), QStringLiteral("120")), std::strong_ordering::equal);
}

TEST(AppUpdateAvailabilityStoreTest, TheAvailableUpdateIsKeptAsJSONBytes)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("defaults.json"));
    const AvailableAppUpdate update{QStringLiteral("1.3.0"), QStringLiteral("130")};
    {
        UserDefaults defaults(path);
        UserDefaultsAppUpdateAvailabilityStore store(defaults);
        EXPECT_EQ(store.load(), std::nullopt);
        store.save(update);
        const std::optional<QByteArray> data = defaults.data(UserDefaultsAppUpdateAvailabilityStore::key);
        ASSERT_TRUE(data);
        EXPECT_EQ(QJsonDocument::fromJson(*data).object(),
            (QJsonObject{{QStringLiteral("displayVersion"), QStringLiteral("1.3.0")},
                {QStringLiteral("buildVersion"), QStringLiteral("130")}}));
        EXPECT_FALSE(data->contains('\n'));
    }
    UserDefaults defaults(path);
    UserDefaultsAppUpdateAvailabilityStore store(defaults);
    EXPECT_EQ(store.load(), update);

    // A value that does not decode loads as nothing and stays until save or clear.
    const QString key = UserDefaultsAppUpdateAvailabilityStore::key;
    for (const QVariant &damaged : {QVariant(QByteArray(R"({"displayVersion":"1.3.0"})")),
             QVariant(QByteArray(R"({"displayVersion":"1.3.0","buildVersion":130})")), QVariant(QByteArray("[]")),
             QVariant(QStringLiteral(R"({"displayVersion":"1","buildVersion":"1"})"))}) {
        defaults.setValue(key, damaged);
        EXPECT_EQ(store.load(), std::nullopt) << damaged.toString().toStdString();
        EXPECT_EQ(defaults.object(key), damaged);
    }
    store.save(update);
    EXPECT_EQ(store.load(), update);
    store.clear();
    EXPECT_FALSE(defaults.contains(key));
    EXPECT_EQ(store.load(), std::nullopt);

    InMemoryAppUpdateAvailabilityStore memory;
    EXPECT_EQ(memory.load(), std::nullopt);
    memory.save(update);
    EXPECT_EQ(memory.load(), update);
    memory.clear();
    EXPECT_EQ(memory.load(), std::nullopt);
}
