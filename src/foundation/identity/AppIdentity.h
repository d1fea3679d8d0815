#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

namespace veyra {

// The bundle's information dictionary: Info.json, generated at build time and embedded
// as the resource ":/Info.json". Keys keep the names of the bundle configuration.
using InfoDictionary = QVariantMap;

// The dictionary of this process, read once: the one embedded in this build (empty, and
// logged as an error, if the resource is missing or invalid), with the replacements of the
// file named by the environment variable infoOverrideFileVariable when it is set (see
// applyInfoDictionaryOverrides). The product tests point a build at their loopback servers
// through it.
const InfoDictionary &mainInfoDictionary();

// "VEYRA_INFO_OVERRIDE_FILE".
extern const char *const infoOverrideFileVariable;

// The dictionary with the values of the JSON object in the file at overridePath put in
// place of its own. Only keys the dictionary has can be replaced, each by a value of the
// same JSON type (text by text, a Boolean by a Boolean, a list by a list ...). The file is
// taken whole or not at all: one that cannot be read, is no JSON object, or holds an
// unknown key or a value of another type leaves the dictionary unchanged and is logged as
// an error; the keys of a file that is taken are logged as a warning (never their values).
InfoDictionary applyInfoDictionaryOverrides(InfoDictionary info, const QString &overridePath);

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
