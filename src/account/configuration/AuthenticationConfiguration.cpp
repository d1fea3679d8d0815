#include "account/configuration/AuthenticationConfiguration.h"

#include <QVariantList>

namespace veyra {

namespace {

QString stringSetting(const InfoDictionary &info, const QString &key)
{
    return infoDictionaryString(key, info).value_or(QString());
}

bool booleanSetting(const InfoDictionary &info, const QString &key)
{
    const auto it = info.constFind(key);
    if (it == info.constEnd()) {
        return false;
    }
    if (it->typeId() == QMetaType::Bool) {
        return it->toBool();
    }
    if (it->typeId() == QMetaType::QString) {
        const QString text = it->toString().toLower();
        return text == QLatin1String("yes") || text == QLatin1String("true") || text == QLatin1String("1");
    }
    return false;
}

// The strings of a list whose every element is a string; nothing otherwise.
std::optional<QStringList> stringList(const QVariant &value)
{
    if (value.typeId() != QMetaType::QVariantList) {
        return std::nullopt;
    }
    QStringList strings;
    for (const QVariant &element : value.toList()) {
        if (element.typeId() != QMetaType::QString) {
            return std::nullopt;
        }
        strings.append(element.toString());
    }
    return strings;
}

QStringList readCallbackSchemes(const InfoDictionary &info)
{
    const QVariant types = info.value(QStringLiteral("CFBundleURLTypes"));
    if (types.typeId() != QMetaType::QVariantList) {
        return {};
    }
    const QVariantList entries = types.toList();
    for (const QVariant &entry : entries) {
        if (entry.typeId() != QMetaType::QVariantMap) {
            return {};
        }
    }
    QStringList schemes;
    for (const QVariant &entry : entries) {
        schemes += stringList(entry.toMap().value(QStringLiteral("CFBundleURLSchemes"))).value_or(QStringList());
    }
    return schemes;
}

QUrl serverBaseURL(const InfoDictionary &info)
{
    const QString text = stringSetting(info, QStringLiteral("TranslationServerBaseURL"));
    const QUrl url(text, QUrl::StrictMode);
    if (text.isEmpty() || !url.isValid()) {
        throw ServerConfigurationError();
    }
    return url;
}

bool hasGoogleClientIDForm(const QString &clientID)
{
    return clientID.size() > googleClientIDSuffix.size() && clientID.endsWith(googleClientIDSuffix);
}

} // namespace

AuthenticationConfiguration AuthenticationConfiguration::fromInfoDictionary(const InfoDictionary &info)
{
    return AuthenticationConfiguration{
        .isEnabled = booleanSetting(info, QStringLiteral("GoogleAuthenticationEnabled")),
        .serverConfiguration = ServerConfiguration(serverBaseURL(info)),
        .googleClientID = stringSetting(info, QStringLiteral("GIDClientID")),
        .googleServerClientID = stringSetting(info, QStringLiteral("GIDServerClientID")),
        .reversedClientID = stringSetting(info, QStringLiteral("GoogleReversedClientID")),
        .callbackSchemes = readCallbackSchemes(info),
    };
}

bool AuthenticationConfiguration::isGoogleSignInUsable() const
{
    if (!isEnabled || !hasGoogleClientIDForm(googleClientID) || !hasGoogleClientIDForm(googleServerClientID)) {
        return false;
    }
    const QString expectedReversed = googleReversedClientIDPrefix + googleClientID.chopped(googleClientIDSuffix.size());
    return reversedClientID == expectedReversed && callbackSchemes.contains(reversedClientID);
}

} // namespace veyra
