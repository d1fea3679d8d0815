#pragma once

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

namespace veyra {

// The user-defaults database: small settings kept in one JSON file through QSettings.
// Numbers, strings, booleans and bytes keep their types across a save and a load
// (QSettings' INI backend would turn numbers into strings).
//
// The file is looked at before QSettings reads it. A damaged one (not JSON, or not an
// object) is moved aside, as "<name>.damaged-<yyyyMMdd-HHmmss>" beside it, before
// anything is written, and the settings start empty; a link to one is moved aside itself,
// so nothing is ever written through a link to a file that was not readable settings.
// Anything else that is not a regular file (a folder, a named pipe, a device, a socket)
// is never opened: the settings are then kept in memory only, for this run. Each case is
// logged with the paths.
class UserDefaults
{
public:
    explicit UserDefaults(const QString &filePath);
    ~UserDefaults();

    UserDefaults(const UserDefaults &) = delete;
    UserDefaults &operator=(const UserDefaults &) = delete;

    // The database of this application: "<config>/<bundle identifier>.json".
    static UserDefaults &standard();
    static QString standardFilePath();

    QString filePath() const;
    // False when the file could not be used and the settings live in memory only.
    bool isBackedByFile() const { return m_settings != nullptr; }

    // The stored value, or an invalid QVariant when the key is absent.
    QVariant object(const QString &key) const;
    bool contains(const QString &key) const;

    // A string for string values, the decimal text for number values, otherwise nothing.
    std::optional<QString> string(const QString &key) const;
    // Bytes for byte values, otherwise nothing.
    std::optional<QByteArray> data(const QString &key) const;
    // The integer for integral numbers (and strings holding one), otherwise nothing.
    std::optional<qint64> integer(const QString &key) const;
    // The number for numbers (and strings holding one), otherwise nothing.
    std::optional<double> number(const QString &key) const;
    // The boolean for booleans and numbers, otherwise nothing.
    std::optional<bool> boolean(const QString &key) const;

    void setValue(const QString &key, const QVariant &value);
    void remove(const QString &key);

    // Writes pending changes to disk now (they are also written when the event loop
    // runs and when the database is destroyed).
    void sync();

private:
    QString m_filePath;
    std::unique_ptr<QSettings> m_settings;
    // The settings while no file can back them.
    QVariantMap m_memory;
};

// The QSettings format that stores settings as typed JSON; registered once.
QSettings::Format jsonSettingsFormat();

} // namespace veyra
