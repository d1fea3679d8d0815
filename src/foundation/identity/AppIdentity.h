#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

namespace veyra {

// The bundle's information dictionary: Info.json, generated at build time and embedded
// as the resource ":/Info.json". Keys keep the names of the bundle configuration.
using InfoDictionary = QVariantMap;

// The dictionary embedded in this build (empty, and logged as an error, if the resource
// is missing or invalid).
const InfoDictionary &mainInfoDictionary();

// Reads an Info.json file; one that is missing or invalid gives an empty dictionary and
// is logged as an error ("<release identifier>.AppIdentity").
InfoDictionary loadInfoDictionary(const QString &path);

// Parses an Info.json document; an invalid document gives an empty dictionary.
InfoDictionary infoDictionaryFromJson(const QByteArray &json);

// The bundle identifier of the release build and of the debug build (release + ".debug").
QString releaseBundleIdentifier();
QString debugBundleIdentifier();

// A key's value as trimmed, non-empty text; nothing when the key is missing, not text,
// blank, or an unsubstituted build setting (contains "$(").
std::optional<QString> infoDictionaryString(const QString &key, const InfoDictionary &info);

struct AppBundleIdentity
{
    QString displayName;
    QString bundleIdentifier;
    bool operator==(const AppBundleIdentity &) const = default;
};

// The display name and bundle identifier that a dictionary describes.
AppBundleIdentity appBundleIdentity(const InfoDictionary &info);

// Process-wide values of this build, computed once from mainInfoDictionary().
QString appBundleIdentifier();
QString appDisplayName();
bool isDebugBuild();

// localizedString(title), with " — Debug" appended in the debug build.
QString localizedWindowTitle(const QString &englishTitle);
QString localizedWindowTitle(const QString &englishTitle, const QString &bundleIdentifier);

QString overlayWindowTitle();
QString captureAreaEditorWindowTitle();
QString gameNotesWindowTitle();
QString softwareUpdateWindowTitle();

} // namespace veyra
