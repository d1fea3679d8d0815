#include "foundation/identity/AppIdentity.h"

#include "foundation/language/LocalizedString.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#ifndef VEYRA_RELEASE_BUNDLE_IDENTIFIER
#define VEYRA_RELEASE_BUNDLE_IDENTIFIER "io.veyra.obrisk"
#endif

namespace veyra {

InfoDictionary infoDictionaryFromJson(const QByteArray &json)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return {};
    }
    return document.object().toVariantMap();
}

const InfoDictionary &mainInfoDictionary()
{
    static const InfoDictionary info = [] {
        QFile file(QStringLiteral(":/Info.json"));
        if (!file.open(QIODevice::ReadOnly)) {
            return InfoDictionary{};
        }
        return infoDictionaryFromJson(file.readAll());
    }();
    return info;
}

QString releaseBundleIdentifier()
{
    return QStringLiteral(VEYRA_RELEASE_BUNDLE_IDENTIFIER);
}

QString debugBundleIdentifier()
{
    return releaseBundleIdentifier() + QStringLiteral(".debug");
}

std::optional<QString> infoDictionaryString(const QString &key, const InfoDictionary &info)
{
    const auto it = info.constFind(key);
    if (it == info.constEnd() || it->typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    const QString trimmed = it->toString().trimmed();
    if (trimmed.isEmpty() || trimmed.contains(QStringLiteral("$("))) {
        return std::nullopt;
    }
    return trimmed;
}

AppBundleIdentity appBundleIdentity(const InfoDictionary &info)
{
    const QString identifier
        = infoDictionaryString(QStringLiteral("CFBundleIdentifier"), info).value_or(releaseBundleIdentifier());
    QString displayName;
    if (auto name = infoDictionaryString(QStringLiteral("CFBundleDisplayName"), info)) {
        displayName = *name;
    } else if (auto bundleName = infoDictionaryString(QStringLiteral("CFBundleName"), info)) {
        displayName = *bundleName;
    } else if (identifier == debugBundleIdentifier()) {
        displayName = QStringLiteral("Veyra Debug");
    } else {
        displayName = QStringLiteral("Veyra");
    }
    return {displayName, identifier};
}

namespace {
const AppBundleIdentity &processIdentity()
{
    static const AppBundleIdentity identity = appBundleIdentity(mainInfoDictionary());
    return identity;
}
} // namespace

QString appBundleIdentifier()
{
    return processIdentity().bundleIdentifier;
}

QString appDisplayName()
{
    return processIdentity().displayName;
}

bool isDebugBuild()
{
    return appBundleIdentifier() == debugBundleIdentifier();
}

QString localizedWindowTitle(const QString &englishTitle, const QString &bundleIdentifier)
{
    QString title = localizedString(englishTitle);
    if (bundleIdentifier == debugBundleIdentifier()) {
        title += QStringLiteral(" \u2014 Debug");
    }
    return title;
}

QString localizedWindowTitle(const QString &englishTitle)
{
    return localizedWindowTitle(englishTitle, appBundleIdentifier());
}

QString overlayWindowTitle()
{
    return localizedWindowTitle(QString::fromUtf8(QT_TRANSLATE_NOOP("Veyra", "Veyra Overlay")));
}

QString captureAreaEditorWindowTitle()
{
    return localizedWindowTitle(QString::fromUtf8(QT_TRANSLATE_NOOP("Veyra", "Edit Capture Areas")));
}

QString gameNotesWindowTitle()
{
    return localizedWindowTitle(QString::fromUtf8(QT_TRANSLATE_NOOP("Veyra", "Game Notes")));
}

QString softwareUpdateWindowTitle()
{
    return localizedWindowTitle(QString::fromUtf8(QT_TRANSLATE_NOOP("Veyra", "Software Update")));
}

} // namespace veyra
