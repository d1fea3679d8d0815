// Test label: unit
// Info.json is made by resources/Info.json.cmake at configure time. Run on its own with
// awkward settings, the script must write JSON that reads back value for value, turn the
// Google switch into a JSON boolean however it is spelt, and fail on a value it cannot
// write. A dictionary that cannot be read is logged as an error.
#include "foundation/identity/AppIdentity.h"
#include "support/LogCapture.h"
#include "support/TestPaths.h"
#include "support/TimeLimits.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace veyra;
using veyra::test::LogCapture;

namespace {

struct Generated
{
    int exitCode = -1;
    QByteArray errors;
    std::optional<QByteArray> json;
};

Generated generate(const QMap<QString, QString> &settings)
{
    QTemporaryDir dir;
    const QString output = dir.filePath(QStringLiteral("Info.json"));
    QStringList arguments{QStringLiteral("-DVEYRA_INFO_JSON_OUTPUT=") + output};
    for (auto it = settings.begin(); it != settings.end(); ++it) {
        arguments << QStringLiteral("-D%1=%2").arg(it.key(), it.value());
    }
    arguments << QStringLiteral("-P") << veyra::test::sourceDir() + QStringLiteral("/resources/Info.json.cmake");
    QProcess cmake;
    cmake.start(QStandardPaths::findExecutable(QStringLiteral("cmake")), arguments);
    EXPECT_TRUE(cmake.waitForFinished(veyra::test::scaledMs(30000)));
    Generated result{cmake.exitCode(), cmake.readAllStandardError(), std::nullopt};
    QFile file(output);
    if (file.open(QIODevice::ReadOnly)) {
        result.json = file.readAll();
    }
    return result;
}

} // namespace

TEST(InfoJson, EveryValueIsWrittenAsJsonOrTheConfigureFails)
{
    ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("cmake")).isEmpty());
    const QString awkward = QStringLiteral("Ve\"y\\ra @VEYRA_BUNDLE_NAME@ ${x};\n\tÉ\u3042\x01");
    const Generated written = generate({{QStringLiteral("VEYRA_BUNDLE_IDENTIFIER"), QStringLiteral("io.example")},
        {QStringLiteral("VEYRA_BUNDLE_DISPLAY_NAME"), awkward},
        {QStringLiteral("VEYRA_GOOGLE_REVERSED_CLIENT_ID"), QStringLiteral("com.googleusercontent.apps.1")},
        {QStringLiteral("VEYRA_GOOGLE_AUTHENTICATION_ENABLED"), QStringLiteral("ON")}});
    ASSERT_EQ(written.exitCode, 0) << written.errors.toStdString();
    ASSERT_TRUE(written.json);
    const InfoDictionary info = infoDictionaryFromJson(*written.json);
    ASSERT_FALSE(info.isEmpty()) << written.json->toStdString();
    EXPECT_EQ(info.value(QStringLiteral("CFBundleDisplayName")).toString(), awkward);
    EXPECT_EQ(info.value(QStringLiteral("CFBundleIdentifier")).toString(), QStringLiteral("io.example"));
    EXPECT_EQ(info.value(QStringLiteral("CFBundleName")).toString(), QString());
    const QVariant enabled = info.value(QStringLiteral("GoogleAuthenticationEnabled"));
    EXPECT_EQ(enabled.typeId(), QMetaType::Bool);
    EXPECT_TRUE(enabled.toBool());
    const QVariantMap urlType = info.value(QStringLiteral("CFBundleURLTypes")).toList().value(0).toMap();
    EXPECT_EQ(urlType.value(QStringLiteral("CFBundleURLName")).toString(), QStringLiteral("io.example.google-sign-in"));
    EXPECT_EQ(urlType.value(QStringLiteral("CFBundleURLSchemes")).toList(),
        QVariantList{QStringLiteral("com.googleusercontent.apps.1")});

    // The switch in any spelling CMake users write; anything else stops the configure.
    for (const auto &[spelling, value] : std::vector<std::pair<QString, bool>>{{QStringLiteral("on"), true},
             {QStringLiteral("true"), true}, {QStringLiteral("1"), true}, {QStringLiteral("OFF"), false},
             {QStringLiteral("False"), false}, {QStringLiteral("0"), false}}) {
        const Generated flag = generate({{QStringLiteral("VEYRA_GOOGLE_AUTHENTICATION_ENABLED"), spelling}});
        ASSERT_TRUE(flag.json) << flag.errors.toStdString();
        const QVariant read = infoDictionaryFromJson(*flag.json).value(QStringLiteral("GoogleAuthenticationEnabled"));
        EXPECT_EQ(read.typeId(), QMetaType::Bool) << spelling.toStdString();
        EXPECT_EQ(read.toBool(), value) << spelling.toStdString();
    }
    const Generated refused
        = generate({{QStringLiteral("VEYRA_GOOGLE_AUTHENTICATION_ENABLED"), QStringLiteral("maybe")}});
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_FALSE(refused.json);
    EXPECT_TRUE(refused.errors.contains("VEYRA_GOOGLE_AUTHENTICATION_ENABLED")) << refused.errors.toStdString();

    // This build's own dictionary is valid, its switch a boolean.
    EXPECT_EQ(mainInfoDictionary().value(QStringLiteral("GoogleAuthenticationEnabled")).typeId(), QMetaType::Bool);
    EXPECT_TRUE(infoDictionaryString(QStringLiteral("CFBundleIdentifier"), mainInfoDictionary()));
    // Google's own endpoints unless the configure names others.
    EXPECT_EQ(infoDictionaryString(QStringLiteral("GoogleAuthorizationURL"), mainInfoDictionary()),
        QStringLiteral("https://accounts.google.com/o/oauth2/v2/auth"));
    EXPECT_EQ(infoDictionaryString(QStringLiteral("GoogleTokenURL"), mainInfoDictionary()),
        QStringLiteral("https://oauth2.googleapis.com/token"));
}

TEST(InfoJson, AnUnreadableDictionaryIsLoggedAsAnError)
{
    QTemporaryDir dir;
    const QString broken = dir.filePath(QStringLiteral("Info.json"));
    {
        QFile file(broken);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("{\"GoogleAuthenticationEnabled\": ON}");
    }
    const QString list = dir.filePath(QStringLiteral("List.json"));
    {
        QFile file(list);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[]");
    }
    LogCapture log;
    EXPECT_TRUE(loadInfoDictionary(broken).isEmpty());
    EXPECT_TRUE(loadInfoDictionary(list).isEmpty());
    EXPECT_TRUE(loadInfoDictionary(dir.filePath(QStringLiteral("missing.json"))).isEmpty());
    const QStringList errors = log.messages(QStringLiteral("AppIdentity"));
    ASSERT_EQ(errors.size(), 3);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("The information dictionary %1 is not valid JSON: ").arg(broken)))
        << errors[0].toStdString();
    EXPECT_EQ(errors[1], QStringLiteral("The information dictionary %1 is not a JSON object").arg(list));
    EXPECT_TRUE(errors[2].contains(QStringLiteral("missing.json cannot be read")));
}

TEST(InfoJson, AnOverrideFileReplacesKnownKeysWithValuesOfTheirTypeOrNothing)
{
    const InfoDictionary embedded{
        {QStringLiteral("TranslationServerBaseURL"), QStringLiteral("https://api.example.com/")},
        {QStringLiteral("GoogleAuthenticationEnabled"), false},
        {QStringLiteral("GIDClientSecret"), QStringLiteral("")},
        {QStringLiteral("CFBundleURLTypes"), QVariantList{QVariantMap{{QStringLiteral("CFBundleURLSchemes"), {}}}}},
    };
    QTemporaryDir dir;
    const auto write = [&dir](const char *name, const QByteArray &json) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(json);
        return path;
    };

    LogCapture log;
    const QString good = write("good.json",
        R"({"TranslationServerBaseURL": "http://127.0.0.1:8080/", "GoogleAuthenticationEnabled": true,
            "GIDClientSecret": "GOCSPX-test", "CFBundleURLTypes": [{"CFBundleURLSchemes": ["x"]}]})");
    const InfoDictionary replaced = applyInfoDictionaryOverrides(embedded, good);
    EXPECT_EQ(replaced.value(QStringLiteral("TranslationServerBaseURL")).toString(),
        QStringLiteral("http://127.0.0.1:8080/"));
    EXPECT_EQ(replaced.value(QStringLiteral("GoogleAuthenticationEnabled")).typeId(), QMetaType::Bool);
    EXPECT_TRUE(replaced.value(QStringLiteral("GoogleAuthenticationEnabled")).toBool());
    EXPECT_EQ(replaced.value(QStringLiteral("CFBundleURLTypes")).toList().value(0).toMap(),
        (QVariantMap{{QStringLiteral("CFBundleURLSchemes"), QVariantList{QStringLiteral("x")}}}));
    EXPECT_EQ(replaced.size(), embedded.size());
    // The keys are logged, never the values (a secret among them).
    const QStringList warnings = log.messages(QStringLiteral("AppIdentity"), QtWarningMsg);
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0],
        QStringLiteral("Information dictionary values replaced from %1: CFBundleURLTypes, GIDClientSecret, "
                       "GoogleAuthenticationEnabled, TranslationServerBaseURL")
            .arg(good));

    // A key the build does not have, a value of another type, a file that is no object or
    // cannot be read: the whole file is ignored and logged as an error.
    const QString unknown = write("unknown.json", R"({"TranslationServerBaseURL": "http://127.0.0.1/", "Extra": "x"})");
    const QString retyped = write("retyped.json", R"({"GoogleAuthenticationEnabled": "true"})");
    const QString list = write("list.json", "[]");
    for (const QString &path : {unknown, retyped, list, dir.filePath(QStringLiteral("missing.json"))}) {
        EXPECT_EQ(applyInfoDictionaryOverrides(embedded, path), embedded) << path.toStdString();
    }
    const QStringList errors = log.messages(QStringLiteral("AppIdentity"));
    ASSERT_EQ(errors.size(), 4);
    EXPECT_EQ(errors[0],
        QStringLiteral("The information dictionary overrides in %1 are ignored: \"Extra\" is not a key of the "
                       "dictionary")
            .arg(unknown));
    EXPECT_EQ(errors[1],
        QStringLiteral("The information dictionary overrides in %1 are ignored: \"GoogleAuthenticationEnabled\" is "
                       "of another type than the dictionary's value")
            .arg(retyped));
    EXPECT_EQ(log.messages(QStringLiteral("AppIdentity"), QtWarningMsg).size(), 1);

    // An empty object replaces nothing.
    EXPECT_EQ(applyInfoDictionaryOverrides(embedded, write("empty.json", "{}")), embedded);
}
