#include "foundation/identity/AppIdentity.h"

#include "foundation/language/LocalizedString.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>

#ifndef VEYRA_RELEASE_BUNDLE_IDENTIFIER
#define VEYRA_RELEASE_BUNDLE_IDENTIFIER "io.veyra.obrisk"
#endif

namespace veyra {

namespace {

// The logger cannot be a Logger: its name needs the bundle identifier, which is read from
// the dictionary being loaded. A dictionary that cannot be read leaves the release
// identity, so its messages go to the release identity's category.
const QLoggingCategory &infoDictionaryLog()
{
    static const QByteArray name = (releaseBundleIdentifier() + QStringLiteral(".AppIdentity")).toUtf8();
    static const QLoggingCategory category(name.constData());
    return category;
}

} // namespace

InfoDictionary infoDictionaryFromJson(const QByteArray &json)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return {};
    }
    return document.object().toVariantMap();
}

InfoDictionary loadInfoDictionary(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCCritical(infoDictionaryLog()).noquote()
            << QStringLiteral("The information dictionary %1 cannot be read: %2").arg(path, file.errorString());
        return {};
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError) {
        qCCritical(infoDictionaryLog()).noquote()
            << QStringLiteral("The information dictionary %1 is not valid JSON: %2 at offset %3")
                   .arg(path, error.errorString())
                   .arg(error.offset);
        return {};
    }
    if (!document.isObject()) {
        qCCritical(infoDictionaryLog()).noquote()
            << QStringLiteral("The information dictionary %1 is not a JSON object").arg(path);
        return {};
    }
    return document.object().toVariantMap();
}

const char *const infoOverrideFileVariable = "VEYRA_INFO_OVERRIDE_FILE";

InfoDictionary applyInfoDictionaryOverrides(InfoDictionary info, const QString &overridePath)
{
    const InfoDictionary overrides = loadInfoDictionary(overridePath);
    if (overrides.isEmpty()) {
        // Unreadable or invalid (already logged), or nothing to replace.
        return info;
    }
    for (auto it = overrides.constBegin(); it != overrides.constEnd(); ++it) {
        const auto current = info.constFind(it.key());
        if (current == info.constEnd() || current->typeId() != it->typeId()) {
            qCCritical(infoDictionaryLog()).noquote()
                << QStringLiteral("The information dictionary overrides in %1 are ignored: \"%2\" is %3")
                       .arg(overridePath, it.key(),
                           current == info.constEnd() ? QStringLiteral("not a key of the dictionary")
                                                      : QStringLiteral("of another type than the dictionary's value"));
            return info;
        }
    }
    for (auto it = overrides.constBegin(); it != overrides.constEnd(); ++it) {
        info.insert(it.key(), it.value());
    }
    qCWarning(infoDictionaryLog()).noquote() << QStringLiteral("Information dictionary values replaced from %1: %2")
                                                    .arg(overridePath, overrides.keys().join(QStringLiteral(", ")));
    return info;
}

const InfoDictionary &mainInfoDictionary()
{
    // Never destroyed: callers keep it to the end of the process, past the statics.
    static const InfoDictionary &info = *new InfoDictionary([] {
        InfoDictionary embedded = loadInfoDictionary(QStringLiteral(":/Info.json"));
        const QString overridePath = qEnvironmentVariable(infoOverrideFileVariable);
        return overridePath.isEmpty() ? embedded : applyInfoDictionaryOverrides(std::move(embedded), overridePath);
    }());
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
    // Never destroyed: the ways out of the process (an exit() from a library, a lost X server)
    // still name the application in their last log line after static objects have gone.
    static const AppBundleIdentity &identity = *new AppBundleIdentity(appBundleIdentity(mainInfoDictionary()));
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
