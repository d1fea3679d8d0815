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
// (QSettings' INI backend would turn numbers into strings). A file that cannot be
// read is treated as empty and replaced by the next write.
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
    std::unique_ptr<QSettings> m_settings;
};

// The QSettings format that stores settings as typed JSON; registered once.
QSettings::Format jsonSettingsFormat();

} // namespace veyra
