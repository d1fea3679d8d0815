// Test label: unit
#include "foundation/identity/AppIdentity.h"
#include "foundation/language/ClientLanguage.h"

#include <gtest/gtest.h>

using namespace veyra;

namespace {
struct LanguageGuard
{
    ~LanguageGuard() { setCurrentClientLanguage(ClientLanguage::english); }
};
} // namespace

TEST(AppIdentity, InfoDictionaryStringReadingRule)
{
    const InfoDictionary info{
        {QStringLiteral("Plain"), QStringLiteral("  Veyra \n")},
        {QStringLiteral("Blank"), QStringLiteral(" \t ")},
        {QStringLiteral("Setting"), QStringLiteral("$(PRODUCT_NAME)")},
        {QStringLiteral("Inside"), QStringLiteral("com.$(SUFFIX).app")},
        {QStringLiteral("Number"), 3},
        {QStringLiteral("Dollar"), QStringLiteral("$5 (cheap)")},
    };
    EXPECT_EQ(infoDictionaryString(QStringLiteral("Plain"), info), QStringLiteral("Veyra"));
    EXPECT_EQ(infoDictionaryString(QStringLiteral("Dollar"), info), QStringLiteral("$5 (cheap)"));
    EXPECT_FALSE(infoDictionaryString(QStringLiteral("Blank"), info));
    EXPECT_FALSE(infoDictionaryString(QStringLiteral("Setting"), info));
    EXPECT_FALSE(infoDictionaryString(QStringLiteral("Inside"), info));
    EXPECT_FALSE(infoDictionaryString(QStringLiteral("Number"), info));
    EXPECT_FALSE(infoDictionaryString(QStringLiteral("Missing"), info));
    EXPECT_FALSE(infoDictionaryString(QStringLiteral("Plain"), InfoDictionary{}));
}

TEST(AppIdentity, BundleIdentityFallbacksAndDebugDisplayName)
{
    EXPECT_TRUE(releaseBundleIdentifier().endsWith(QStringLiteral(".obrisk")));
    EXPECT_EQ(debugBundleIdentifier(), releaseBundleIdentifier() + QStringLiteral(".debug"));

    // Nothing usable: the release identifier and the plain product name.
    EXPECT_EQ(appBundleIdentity({}), (AppBundleIdentity{QStringLiteral("Veyra"), releaseBundleIdentifier()}));
    EXPECT_EQ(
        appBundleIdentity({{QStringLiteral("CFBundleIdentifier"), QStringLiteral("$(PRODUCT_BUNDLE_IDENTIFIER)")}}),
        (AppBundleIdentity{QStringLiteral("Veyra"), releaseBundleIdentifier()}));

    // The debug identifier, trimmed, without name keys: "Veyra Debug".
    const InfoDictionary debugOnly{
        {QStringLiteral("CFBundleIdentifier"), QStringLiteral("  ") + debugBundleIdentifier()},
        {QStringLiteral("CFBundleName"), 12}};
    EXPECT_EQ(
        appBundleIdentity(debugOnly), (AppBundleIdentity{QStringLiteral("Veyra Debug"), debugBundleIdentifier()}));

    // A name from the dictionary is never changed, even in the debug build.
    InfoDictionary named = debugOnly;
    named.insert(QStringLiteral("CFBundleDisplayName"), QStringLiteral(" "));
    named.insert(QStringLiteral("CFBundleName"), QStringLiteral("Veyra"));
    EXPECT_EQ(appBundleIdentity(named).displayName, QStringLiteral("Veyra"));
    named.insert(QStringLiteral("CFBundleDisplayName"), QStringLiteral("Veyra Beta"));
    EXPECT_EQ(appBundleIdentity(named).displayName, QStringLiteral("Veyra Beta"));
}

TEST(AppIdentity, WindowTitlesAreLocalisedAndMarkedInTheDebugBuild)
{
    LanguageGuard guard;
    const QString dash = QString::fromUtf8(" \u2014 Debug");
    EXPECT_EQ(localizedWindowTitle(QStringLiteral("Veyra Overlay"), releaseBundleIdentifier()),
        QStringLiteral("Veyra Overlay"));
    EXPECT_EQ(localizedWindowTitle(QStringLiteral("Veyra Overlay"), debugBundleIdentifier()),
        QStringLiteral("Veyra Overlay") + dash);

    setCurrentClientLanguage(ClientLanguage::korean);
    EXPECT_EQ(localizedWindowTitle(QStringLiteral("Veyra Overlay"), debugBundleIdentifier()),
        QString::fromUtf8("Veyra 오버레이") + dash);
    setCurrentClientLanguage(ClientLanguage::japanese);
    EXPECT_EQ(
        localizedWindowTitle(QStringLiteral("Game Notes"), releaseBundleIdentifier()), QString::fromUtf8("ゲームメモ"));

    // The running build's own identity comes from its embedded Info.json.
    const QString expectedSuffix = isDebugBuild() ? dash : QString();
    EXPECT_TRUE(overlayWindowTitle().endsWith(QString::fromUtf8("オーバーレイ") + expectedSuffix));
    EXPECT_FALSE(mainInfoDictionary().isEmpty());
    EXPECT_EQ(appBundleIdentifier(), infoDictionaryString(QStringLiteral("CFBundleIdentifier"), mainInfoDictionary()));
}
