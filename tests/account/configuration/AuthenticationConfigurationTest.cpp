// Test label: unit
#include "account/configuration/AuthenticationConfiguration.h"
#include "account/configuration/GoogleSignInError.h"

#include <gtest/gtest.h>

using namespace veyra;

namespace {

const QString clientID = QStringLiteral("1234-abc.apps.googleusercontent.com");
const QString serverClientID = QStringLiteral("5678-def.apps.googleusercontent.com");
const QString reversedClientID = QStringLiteral("com.googleusercontent.apps.1234-abc");

QVariantMap urlType(const QVariantList &schemes)
{
    return QVariantMap{{QStringLiteral("CFBundleURLSchemes"), schemes}};
}

InfoDictionary usableInfo()
{
    return InfoDictionary{
        {QStringLiteral("TranslationServerBaseURL"), QStringLiteral("https://api.example.com/")},
        {QStringLiteral("GoogleAuthenticationEnabled"), true},
        {QStringLiteral("GIDClientID"), clientID},
        {QStringLiteral("GIDServerClientID"), serverClientID},
        {QStringLiteral("GoogleReversedClientID"), reversedClientID},
        {QStringLiteral("CFBundleURLTypes"), QVariantList{urlType({reversedClientID})}},
    };
}

bool usableWith(const QString &key, const QVariant &value)
{
    InfoDictionary info = usableInfo();
    if (value.isValid()) {
        info.insert(key, value);
    } else {
        info.remove(key);
    }
    return AuthenticationConfiguration::fromInfoDictionary(info).isGoogleSignInUsable();
}

} // namespace

TEST(AuthenticationConfigurationTest, ReadsTheSettings)
{
    InfoDictionary info = usableInfo();
    info.insert(QStringLiteral("GIDClientID"), QStringLiteral("  ") + clientID + QStringLiteral("\n"));
    info.insert(QStringLiteral("CFBundleURLTypes"),
        QVariantList{urlType({QStringLiteral("first")}), QVariantMap{}, urlType({QStringLiteral(" b "), 7}),
            urlType({reversedClientID})});
    const auto configuration = AuthenticationConfiguration::fromInfoDictionary(info);
    EXPECT_TRUE(configuration.isEnabled);
    EXPECT_EQ(configuration.serverConfiguration.baseURL(), QUrl(QStringLiteral("https://api.example.com/")));
    EXPECT_EQ(configuration.googleClientID, clientID);
    EXPECT_EQ(configuration.googleServerClientID, serverClientID);
    // A list holding a non-string contributes nothing; schemes are not trimmed.
    EXPECT_EQ(configuration.callbackSchemes, (QStringList{QStringLiteral("first"), reversedClientID}));
    EXPECT_TRUE(configuration.isGoogleSignInUsable());

    // Absent or unexpanded settings are empty; one non-dictionary type entry drops every scheme.
    InfoDictionary sparse{{QStringLiteral("TranslationServerBaseURL"), QStringLiteral("http://localhost:8080")},
        {QStringLiteral("GIDClientID"), QStringLiteral("$(GID_CLIENT_ID)")},
        {QStringLiteral("CFBundleURLTypes"), QVariantList{urlType({reversedClientID}), QStringLiteral("x")}}};
    const auto empty = AuthenticationConfiguration::fromInfoDictionary(sparse);
    EXPECT_FALSE(empty.isEnabled);
    EXPECT_TRUE(empty.googleClientID.isEmpty());
    EXPECT_TRUE(empty.reversedClientID.isEmpty());
    EXPECT_TRUE(empty.callbackSchemes.isEmpty());
    EXPECT_FALSE(empty.isGoogleSignInUsable());
}

TEST(AuthenticationConfigurationTest, ServerURLMustBeUsable)
{
    for (const QVariant &url : {QVariant(), QVariant(QStringLiteral("  ")), QVariant(QStringLiteral("$(SERVER_URL)")),
             QVariant(QStringLiteral("https://$(HOST)/")), QVariant(QStringLiteral("http://api.example.com/")),
             QVariant(QStringLiteral("https://user@api.example.com/")), QVariant(QStringLiteral("https://h/?q=1")),
             QVariant(42)}) {
        InfoDictionary info = usableInfo();
        info.insert(QStringLiteral("TranslationServerBaseURL"), url);
        EXPECT_THROW(AuthenticationConfiguration::fromInfoDictionary(info), ServerConfigurationError)
            << url.toString().toStdString();
    }
    InfoDictionary loopback = usableInfo();
    loopback.insert(QStringLiteral("TranslationServerBaseURL"), QStringLiteral(" http://127.0.0.1:9000/api \n"));
    EXPECT_EQ(AuthenticationConfiguration::fromInfoDictionary(loopback).serverConfiguration.baseURL(),
        QUrl(QStringLiteral("http://127.0.0.1:9000/api")));
}

TEST(AuthenticationConfigurationTest, ValidityTest)
{
    const QString enabled = QStringLiteral("GoogleAuthenticationEnabled");
    EXPECT_TRUE(usableWith(enabled, QStringLiteral("YES")));
    EXPECT_TRUE(usableWith(enabled, QStringLiteral("1")));
    EXPECT_FALSE(usableWith(enabled, QStringLiteral("on")));
    EXPECT_FALSE(usableWith(enabled, 1));
    EXPECT_FALSE(usableWith(enabled, false));
    EXPECT_FALSE(usableWith(enabled, QVariant()));

    EXPECT_FALSE(usableWith(QStringLiteral("GIDClientID"), googleClientIDSuffix));
    EXPECT_FALSE(usableWith(QStringLiteral("GIDClientID"), QStringLiteral("1234-abc.apps.example.com")));
    EXPECT_FALSE(usableWith(QStringLiteral("GIDServerClientID"), googleClientIDSuffix));
    EXPECT_FALSE(usableWith(QStringLiteral("GIDServerClientID"), QVariant()));
    EXPECT_FALSE(
        usableWith(QStringLiteral("GoogleReversedClientID"), QStringLiteral("com.googleusercontent.apps.1234-ABC")));

    // The reversed client ID may sit in any URL type, but must match exactly.
    EXPECT_TRUE(usableWith(QStringLiteral("CFBundleURLTypes"),
        QVariantList{urlType({QStringLiteral("veyra")}), urlType({QStringLiteral("x"), reversedClientID})}));
    EXPECT_FALSE(usableWith(QStringLiteral("CFBundleURLTypes"), QVariantList{urlType({reversedClientID + " "})}));
    EXPECT_FALSE(usableWith(QStringLiteral("CFBundleURLTypes"), QVariant()));
}

TEST(AuthenticationConfigurationTest, GoogleSignInErrorTexts)
{
    EXPECT_TRUE(GoogleSignInError(GoogleSignInError::Kind::cancelled).localizedDescription().isEmpty());
    for (auto kind : {GoogleSignInError::Kind::missingIDToken, GoogleSignInError::Kind::unavailable}) {
        EXPECT_EQ(GoogleSignInError(kind).localizedDescription(),
            QStringLiteral("Google sign-in couldn't be completed. Try again."));
    }
}
