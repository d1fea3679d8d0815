#pragma once

#include <QByteArray>
#include <QSet>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>

namespace veyra {

class FileAccessError;
class LocalizableText;
// What the file callbacks of one database see while QSettings reads or writes its file.
struct SettingsFileState;

// The user-defaults database: small settings kept in one JSON file through QSettings.
// Numbers, strings, booleans and bytes keep their types across a save and a load
// (QSettings' INI backend would turn numbers into strings).
//
// The file is looked at before QSettings reads it. A damaged one (not JSON, or not an
// object) is moved aside, as "<name>.damaged-<yyyyMMdd-HHmmss>" beside it, before
// anything is written, and the settings start empty; the newest such copies are kept
// (keptDamagedCopies), older ones removed. A value that names no type Veyra knows (an
// object or array of a hand edit) is held as its JSON (a QJsonValue) and written back as
// it was. Through a link only a file that holds
// Veyra's settings (a file this format wrote, marked so) is read and written: a link to
// anything else, or to nothing, is moved aside itself and its target left as it is.
// Anything else that is not a regular file (a folder, a named pipe, a device, a socket),
// a file that cannot be read, and a damaged file that cannot be moved aside are never
// written: the settings are then kept in memory only, for this run. Each case is logged
// with the paths; a change kept in memory only is reported as a failed write.
//
// While Veyra runs, the file is read again at a sync whenever what it holds changed on disk,
// whatever its size and modification time say (QSettings goes by those alone, and misses a
// change of the same size within one tick of the file system's clock): settings another
// program wrote there are taken, the changes of this database not written yet kept over
// them. Found damaged then (or turned into a link to something else), it is moved aside the
// same way before anything is written, and the settings this database holds are written in
// its place; so are they when the file was emptied, blanked or removed (QSettings would read
// no settings there).
// Every write is checked: a write that fails leaves the file as it was (a full disk never
// leaves part of the settings in its place), is logged with the path and the reason, and
// is reported to the write-failure handler; the changes stay pending and are written again
// with the next change or sync. The same failure again, with nothing changed since, is
// neither logged nor reported again.
class UserDefaults
{
public:
    explicit UserDefaults(const QString &filePath);
    ~UserDefaults();

    UserDefaults(const UserDefaults &) = delete;
    UserDefaults &operator=(const UserDefaults &) = delete;

    // The database of this application: "<config>/<bundle identifier>.json". Its sync is a
    // last save (LastSave) from its first use on, on that thread.
    static UserDefaults &standard();
    static QString standardFilePath();

    QString filePath() const;
    // False when the file could not be used and the settings live in memory only.
    bool isBackedByFile() const { return m_settings != nullptr; }

    // The stored value, or an invalid QVariant when the key is absent.
    QVariant object(const QString &key) const;
    bool contains(const QString &key) const;
    QStringList keys() const;

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

    // Writes pending changes to disk now (they are also written on the next turn of the
    // event loop after a change, and when the database is destroyed), and reads the file
    // again when what it holds changed on disk.
    void sync();

    // Called on the database's thread after every failed write of the file (and after a
    // change while the settings are kept in memory only), with the file and the reason.
    void setWriteFailureHandler(std::function<void(const FileAccessError &)> handler);

private:
    // Syncs on the next turn of the event loop.
    void requestSync();
    void noteChange();
    // Takes the settings found on disk that changed there since the database last read or
    // wrote the file into QSettings, which writes them with its next sync, except where this
    // database changed them since; whether it took any.
    bool takeSettingsChangedOnDisk(const QSettings::SettingsMap &onDisk);
    void reportWriteFailure(const LocalizableText &reason);
    void reportWriteFailure(const FileAccessError &error);

    QString m_filePath;
    std::unique_ptr<SettingsFileState> m_file;
    std::unique_ptr<QSettings> m_settings;
    // Takes QSettings' own deferred write: requestSync() posts a checked sync() instead.
    std::unique_ptr<QObject> m_syncRequests;
    // The settings while no file can back them, and why none can.
    QVariantMap m_memory;
    std::unique_ptr<FileAccessError> m_keptInMemoryBecause;
    // The failure reported last, while nothing changed since.
    QString m_reportedFailure;
    // Changes made since the last write that succeeded, and the keys they changed; a sync
    // posted and not run yet.
    bool m_unsavedChanges = false;
    QSet<QString> m_changedKeys;
    bool m_syncRequested = false;
    std::function<void(const FileAccessError &)> m_onWriteFailure;
};

// The QSettings format that stores settings as typed JSON; registered once.
QSettings::Format jsonSettingsFormat();

} // namespace veyra
