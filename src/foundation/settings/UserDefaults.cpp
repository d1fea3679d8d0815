#include "foundation/settings/UserDefaults.h"

#include "foundation/async/LastSaves.h"
#include "foundation/files/FileIO.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/logging/Logger.h"

#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <cmath>
#include <limits>
#include <optional>
#include <unistd.h>
#include <utility>
#include <vector>

namespace veyra {

struct SettingsFileState
{
    // The settings as the database last read or wrote them (what QSettings holds as the
    // file's): carried over a file found damaged when it is read again, and what a change on
    // disk is told by.
    std::optional<QSettings::SettingsMap> known;
    // A damaged file that couldn't be moved aside, and its bytes: nothing is written over it
    // until it reads as settings again, and the same damage is told once.
    bool refusingWrites = false;
    QByteArray refusedBytes;
    // Of the current sync: whether QSettings wrote the file, and why that (or putting the
    // settings back in place of a damaged file) failed.
    bool writeAttempted = false;
    LocalizableText writeFailure;
};

namespace {

// Veyra's own reasons for a failed write, worded in the interface language when shown.
const char *const damagedNotMovedReason = QT_TRANSLATE_NOOP("Veyra", "It is damaged and couldn't be moved aside.");
const char *const refusingWritesReason
    = QT_TRANSLATE_NOOP("Veyra", "It is damaged and couldn't be moved aside, so Veyra writes nothing over it.");
const char *const partlyWrittenReason = QT_TRANSLATE_NOOP("Veyra", "Only part of the settings could be written.");
const char *const notReplacedReason
    = QT_TRANSLATE_NOOP("Veyra", "The new file couldn't take the place of the old one.");
const char *const notOpenedReason = QT_TRANSLATE_NOOP("Veyra", "The file or its lock file couldn't be opened.");

// The database whose file QSettings reads or writes on this thread now.
thread_local SettingsFileState *t_settingsFile = nullptr;

class SettingsFileScope
{
public:
    explicit SettingsFileScope(SettingsFileState *file)
        : m_previous(std::exchange(t_settingsFile, file))
    { }
    ~SettingsFileScope() { t_settingsFile = m_previous; }

    SettingsFileScope(const SettingsFileScope &) = delete;
    SettingsFileScope &operator=(const SettingsFileScope &) = delete;

private:
    SettingsFileState *m_previous;
};

// Takes QSettings' deferred write (the update it posts to itself after a change): the
// database posts its own checked sync instead, which also keeps away from a file that is no
// longer a regular one.
class SyncRequests : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override { return event->type() == QEvent::UpdateRequest; }
};

// On disk, strings, booleans and integers are plain JSON values, and every other value is
// an object with a single member that names its type: {"double": x} (x is "nan", "inf"
// or "-inf" for what JSON cannot hold), {"data": "<base64>"}, {"map": {...}} and
// {"list": [...]}, whose members and elements are written the same way. A stored map is
// thus never read back as a double or as bytes. The document's "/format" member (a key
// that QSettings never produces, as it strips leading slashes) marks this encoding; a
// file without it is of the first format, where maps and lists were plain JSON and only
// doubles and bytes were tagged.
const QString formatKey = QStringLiteral("/format");
constexpr int currentFormat = 2;
const QString doubleTag = QStringLiteral("double");
const QString dataTag = QStringLiteral("data");
const QString mapTag = QStringLiteral("map");
const QString listTag = QStringLiteral("list");

QJsonValue encodeDouble(double number)
{
    if (std::isnan(number)) {
        return QJsonObject{{doubleTag, QStringLiteral("nan")}};
    }
    if (std::isinf(number)) {
        return QJsonObject{{doubleTag, number > 0 ? QStringLiteral("inf") : QStringLiteral("-inf")}};
    }
    return QJsonObject{{doubleTag, number}};
}

QJsonValue encodeValue(const QVariant &value);

QJsonValue encodeMap(const QVariantMap &map)
{
    QJsonObject members;
    for (auto it = map.begin(); it != map.end(); ++it) {
        members.insert(it.key(), encodeValue(it.value()));
    }
    return QJsonObject{{mapTag, members}};
}

QJsonValue encodeList(const QVariantList &list)
{
    QJsonArray elements;
    for (const QVariant &element : list) {
        elements.append(encodeValue(element));
    }
    return QJsonObject{{listTag, elements}};
}

QJsonValue encodeValue(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return QJsonValue(value.toLongLong());
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return QJsonValue(static_cast<qint64>(value.toULongLong()));
    case QMetaType::Double:
    case QMetaType::Float:
        return encodeDouble(value.toDouble());
    case QMetaType::QByteArray:
        return QJsonObject{{dataTag, QString::fromLatin1(value.toByteArray().toBase64())}};
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QJsonValue:
        return value.toJsonValue();
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash:
        return encodeMap(value.toMap());
    case QMetaType::QVariantList:
    case QMetaType::QStringList:
        return encodeList(value.toList());
    default:
        break;
    }
    // Anything else is written as Qt converts it to JSON, its objects and arrays as maps
    // and lists, so that every object on disk keeps naming its type.
    const QJsonValue converted = QJsonValue::fromVariant(value);
    if (converted.isObject()) {
        return encodeMap(converted.toObject().toVariantMap());
    }
    if (converted.isArray()) {
        return encodeList(converted.toArray().toVariantList());
    }
    if (converted.isDouble()) {
        return encodeDouble(converted.toDouble());
    }
    return converted;
}

// A boolean, number or string, as both formats write them; anything else is no value.
QVariant plainValue(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Bool:
        return value.toBool();
    case QJsonValue::Double: {
        // Qt keeps integers written without a fraction as integers.
        const QVariant number = value.toVariant();
        if (number.typeId() == QMetaType::LongLong) {
            return number;
        }
        return value.toDouble();
    }
    case QJsonValue::String:
        return value.toString();
    default:
        return {};
    }
}

// A value of the first format: only a lone "double" or "data" member was a tag.
QVariant decodeFirstFormatValue(const QJsonValue &value)
{
    if (value.isArray()) {
        return value.toArray().toVariantList();
    }
    if (!value.isObject()) {
        return plainValue(value);
    }
    const QJsonObject object = value.toObject();
    if (object.size() == 1 && object.contains(doubleTag) && object.value(doubleTag).isDouble()) {
        return object.value(doubleTag).toDouble();
    }
    if (object.size() == 1 && object.contains(dataTag) && object.value(dataTag).isString()) {
        return QByteArray::fromBase64(object.value(dataTag).toString().toLatin1());
    }
    return object.toVariantMap();
}

std::optional<double> decodeTaggedDouble(const QJsonValue &tagged)
{
    if (tagged.isDouble()) {
        return tagged.toDouble();
    }
    const QString text = tagged.toString();
    if (text == QLatin1String("nan")) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    if (text == QLatin1String("inf")) {
        return std::numeric_limits<double>::infinity();
    }
    if (text == QLatin1String("-inf")) {
        return -std::numeric_limits<double>::infinity();
    }
    return std::nullopt;
}

// A value of the current format; an object that names no known type is no value.
QVariant decodeValue(const QJsonValue &value)
{
    if (!value.isObject()) {
        return plainValue(value);
    }
    const QJsonObject object = value.toObject();
    if (object.size() != 1) {
        return {};
    }
    const QString tag = object.begin().key();
    const QJsonValue tagged = object.begin().value();
    if (tag == doubleTag) {
        if (const auto number = decodeTaggedDouble(tagged)) {
            return *number;
        }
    } else if (tag == dataTag && tagged.isString()) {
        return QByteArray::fromBase64(tagged.toString().toLatin1());
    } else if (tag == mapTag && tagged.isObject()) {
        QVariantMap map;
        const QJsonObject members = tagged.toObject();
        for (auto it = members.begin(); it != members.end(); ++it) {
            if (const QVariant member = decodeValue(it.value()); member.isValid()) {
                map.insert(it.key(), member);
            }
        }
        return map;
    } else if (tag == listTag && tagged.isArray()) {
        QVariantList list;
        for (const QJsonValue &element : tagged.toArray()) {
            list.append(decodeValue(element));
        }
        return list;
    }
    return {};
}

QString deviceName(QIODevice &device)
{
    const auto *file = qobject_cast<QFile *>(&device);
    return file ? file->fileName() : QStringLiteral("(unnamed)");
}

// The settings object the bytes hold (an empty one for a file without content), or nothing
// when they are not readable settings; `damage` then says why.
std::optional<QJsonObject> settingsObject(const QByteArray &bytes, QString *damage)
{
    if (bytes.trimmed().isEmpty()) {
        return QJsonObject();
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
        *damage = QStringLiteral("%1 at offset %2").arg(error.errorString()).arg(error.offset);
        return std::nullopt;
    }
    if (!document.isObject()) {
        *damage = QStringLiteral("it holds a JSON array, not an object");
        return std::nullopt;
    }
    return document.object();
}

// Why the bytes read at `path` are not Veyra's settings, or nothing when they are (`object`
// then holds them). Through a link only a file this format wrote counts: a first-format file
// or any other JSON object there may belong to another program.
QString whyNotSettings(const QString &path, const QByteArray &bytes, QJsonObject *object)
{
    QString damage;
    std::optional<QJsonObject> read = settingsObject(bytes, &damage);
    if (!read) {
        return damage;
    }
    if (const QFileInfo info(path); info.isSymLink() && !read->contains(formatKey)) {
        return QStringLiteral("it is a link to %1, which doesn't hold Veyra's settings").arg(info.symLinkTarget());
    }
    *object = std::move(*read);
    return {};
}

void decodeSettings(QJsonObject object, QSettings::SettingsMap &map)
{
    const bool firstFormat = object.take(formatKey).isUndefined();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QVariant value = firstFormat ? decodeFirstFormatValue(it.value()) : decodeValue(it.value());
        if (value.isValid()) {
            map.insert(it.key(), value);
        } else if (!it.value().isNull()) {
            // An object or array that names no type (a hand edit, a later version's) is held
            // as the JSON it is and written back so: its reader decides what it means, and no
            // other write of the settings loses it.
            map.insert(it.key(), QVariant::fromValue(QJsonValue(it.value())));
        }
    }
}

QByteArray encodeSettings(const QSettings::SettingsMap &map)
{
    QJsonObject object;
    object.insert(formatKey, currentFormat);
    for (auto it = map.begin(); it != map.end(); ++it) {
        object.insert(it.key(), encodeValue(it.value()));
    }
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

// Whether the bytes are those of a damaged file that couldn't be moved aside and was told
// already.
bool refusedAlready(const SettingsFileState *file, const QByteArray &bytes)
{
    return file != nullptr && file->refusingWrites && file->refusedBytes == bytes;
}

// A file found damaged when it is read again (changed from outside while Veyra runs) is
// moved aside before anything is written over it, and the settings held are put in its
// place at once (QSettings writes only when something changed).
void keepDamagedFileAside(const QString &path, const QString &damage, const QByteArray &bytes, SettingsFileState *file)
{
    if (refusedAlready(file, bytes)) {
        return;
    }
    const Logger logger("UserDefaults");
    const QString aside = unusedNameBeside(path, QStringLiteral("damaged"), QDateTime::currentDateTimeUtc(), false);
    // A link is moved itself: its target stays as it is.
    if (!QFile::rename(path, aside)) {
        qCCritical(logger).noquote() << QStringLiteral(
            "The settings file %1 was damaged while Veyra ran (%2) and couldn't be moved aside to %3: "
            "Veyra writes nothing over it.")
                                            .arg(path, damage, aside);
        if (file != nullptr) {
            file->refusingWrites = true;
            file->refusedBytes = bytes;
        }
        return;
    }
    qCWarning(logger).noquote() << QStringLiteral(
        "The settings file %1 was damaged while Veyra ran (%2): it was moved to %3, and Veyra "
        "writes the settings it holds in its place.")
                                       .arg(path, damage, aside);
    removeOlderCopiesBeside(path, QStringLiteral("damaged"), false, keptDamagedCopies);
    if (file == nullptr || !file->known) {
        return;
    }
    try {
        writeFileAtomically(path, encodeSettings(*file->known));
    } catch (const FileAccessError &error) {
        file->writeFailure = error.detail();
    }
}

// Whether the database holds settings that it read from the file or wrote there.
bool holdsSettings(const SettingsFileState *file)
{
    return file != nullptr && file->known && !file->known->isEmpty();
}

// A file that holds nothing now (emptied, or removed) while the database holds settings it
// read or wrote there no longer holds what Veyra wrote: QSettings would read no settings
// there, and they would be lost with the next write or at the end of the run. It counts as
// damaged, with nothing in it to keep: the settings held are written in its place. Why
// that failed, or nothing.
LocalizableText putBackEmptiedSettings(const QString &path, const QString &damage, const SettingsFileState &file)
{
    qCWarning(Logger("UserDefaults")).noquote() << QStringLiteral(
        "The settings file %1 was damaged while Veyra ran (%2): Veyra writes the settings it holds in "
        "its place.")
                                                       .arg(path, damage);
    try {
        writeFileAtomically(path, encodeSettings(*file.known));
    } catch (const FileAccessError &error) {
        return error.detail();
    }
    return {};
}

// Whether two values are the same setting, as the file holds them (nothing is a setting
// too).
bool sameSetting(const QVariant &one, const QVariant &other)
{
    return one.isValid() == other.isValid() && (!one.isValid() || encodeValue(one) == encodeValue(other));
}

// What a sync found in the file before QSettings looked at it.
struct FileLook
{
    // Why putting the settings back in place of a file that held none failed.
    LocalizableText failure;
    // The settings the file holds, when it holds readable ones.
    std::optional<QSettings::SettingsMap> settings;
};

// The file as it is before QSettings looks at it. QSettings reads the file again only when
// its size or its modification time differs from when it last read or wrote it: a change of
// the same size within one tick of the file system's clock (a second on some), or one whose
// time was set back (a sync tool sets the time it brings), goes unseen, and QSettings would
// write what it held over it. What the file holds tells instead: removed, emptied or blanked
// while the database holds settings, they are put back (QSettings reads no settings there,
// and would lose them); damaged, it is moved aside and the settings put in its place; the
// settings it holds are returned, to be compared with those the database last read or wrote.
FileLook lookAtFile(const QString &path, SettingsFileState &file)
{
    const FileNodeKind node = fileNodeKind(path);
    if (node == FileNodeKind::missing) {
        return {holdsSettings(&file) ? putBackEmptiedSettings(path, QStringLiteral("it was removed"), file)
                                     : LocalizableText(),
            std::nullopt};
    }
    if (node != FileNodeKind::regularFile) {
        return {};
    }
    QByteArray bytes;
    try {
        bytes = readWholeFile(path);
    } catch (const FileAccessError &) {
        // QSettings can't read it either, and fails.
        return {};
    }
    if (bytes.trimmed().isEmpty()) {
        if (!holdsSettings(&file)) {
            return {};
        }
        const QString damage
            = bytes.isEmpty() ? QStringLiteral("it is empty") : QStringLiteral("it holds nothing but blanks");
        return {putBackEmptiedSettings(path, damage, file), std::nullopt};
    }
    QJsonObject object;
    if (const QString damage = whyNotSettings(path, bytes, &object); !damage.isEmpty()) {
        keepDamagedFileAside(path, damage, bytes, &file);
        return {file.writeFailure, std::nullopt};
    }
    file.refusingWrites = false;
    QSettings::SettingsMap onDisk;
    decodeSettings(std::move(object), onDisk);
    return {{}, std::move(onDisk)};
}

bool readJsonSettings(QIODevice &device, QSettings::SettingsMap &map)
{
    SettingsFileState *file = t_settingsFile;
    const QString path = deviceName(device);
    const QByteArray bytes = device.readAll();
    if (bytes.trimmed().isEmpty() && holdsSettings(file)) {
        file->writeFailure = putBackEmptiedSettings(path, QStringLiteral("it holds nothing but blanks"), *file);
        map = *file->known;
        return true;
    }
    QJsonObject object;
    const QString damage = whyNotSettings(path, bytes, &object);
    if (damage.isEmpty()) {
        decodeSettings(std::move(object), map);
        if (file != nullptr) {
            file->known = map;
            file->refusingWrites = false;
        }
        return true;
    }
    // Damaged since the database looked at it: that must not take the application down,
    // nor the settings it holds.
    keepDamagedFileAside(path, damage, bytes, file);
    if (file != nullptr && file->known) {
        map = *file->known;
    }
    return true;
}

// Why the settings are not read or written at `path` now: only a regular file, a link to
// one or nothing is (a named pipe would block the read, and the target of a link to nothing
// would be created).
LocalizableText whyLeftAlone(const QString &path)
{
    return whyNotARegularFile(path, fileNodeKind(path));
}

// Looks at the file before QSettings does: nothing when QSettings may read and write it,
// otherwise why the settings are kept in memory. A damaged file (or a link to something
// that is not Veyra's settings) is moved aside; what is not a regular file is left alone
// and refused.
std::unique_ptr<FileAccessError> prepareSettingsFile(const QString &path)
{
    const Logger logger("UserDefaults");
    const FileNodeKind node = fileNodeKind(path);
    if (node == FileNodeKind::missing) {
        return nullptr;
    }
    QString damage;
    if (node == FileNodeKind::danglingLink) {
        damage = QStringLiteral("it is a link to %1, which doesn't exist").arg(QFileInfo(path).symLinkTarget());
    } else if (node == FileNodeKind::regularFile) {
        try {
            QJsonObject object;
            damage = whyNotSettings(path, readWholeFile(path), &object);
        } catch (const FileAccessError &error) {
            qCCritical(logger).noquote() << QStringLiteral("Veyra couldn't read its settings, so it keeps them in "
                                                           "memory for this run and leaves the file alone: %1")
                                                .arg(error.message());
            return std::make_unique<FileAccessError>(error);
        }
    } else if (node == FileNodeKind::folder || node == FileNodeKind::other) {
        qCCritical(logger).noquote() << QStringLiteral(
            "The settings file %1 is %2, not a regular file: Veyra leaves it alone and keeps "
            "its settings in memory for this run.")
                                            .arg(path,
                                                node == FileNodeKind::folder
                                                    ? QStringLiteral("a folder")
                                                    : QStringLiteral("a named pipe, a device or a socket"));
        return std::make_unique<FileAccessError>(FileAccessError::Kind::writeFailed, path, whyLeftAlone(path));
    }
    if (damage.isEmpty()) {
        return nullptr;
    }
    const QString aside = unusedNameBeside(path, QStringLiteral("damaged"), QDateTime::currentDateTimeUtc(), false);
    // A link is moved itself: its target stays as it is.
    if (!QFile::rename(path, aside)) {
        qCCritical(logger).noquote() << QStringLiteral(
            "The settings file %1 is damaged (%2) and couldn't be moved aside to %3: Veyra leaves "
            "it alone and keeps its settings in memory for this run.")
                                            .arg(path, damage, aside);
        return std::make_unique<FileAccessError>(
            FileAccessError::withOwnReason(FileAccessError::Kind::writeFailed, path, damagedNotMovedReason));
    }
    qCWarning(logger).noquote() << QStringLiteral(
        "The settings file %1 was damaged (%2): it was moved to %3, and Veyra starts from its "
        "default settings.")
                                       .arg(path, damage, aside);
    removeOlderCopiesBeside(path, QStringLiteral("damaged"), false, keptDamagedCopies);
    return nullptr;
}

// Why the device failed to take what was written to it.
LocalizableText writeFailureOf(const QIODevice &device)
{
    const auto *file = qobject_cast<const QFileDevice *>(&device);
    if (file != nullptr && file->error() != QFileDevice::NoError) {
        return file->errorString();
    }
    return LocalizableText::marked(partlyWrittenReason);
}

bool writeJsonSettings(QIODevice &device, const QSettings::SettingsMap &map)
{
    SettingsFileState *file = t_settingsFile;
    if (file != nullptr) {
        file->writeAttempted = true;
        if (file->refusingWrites) {
            file->writeFailure = LocalizableText::marked(refusingWritesReason);
            return false;
        }
    }
    // Everything has to reach the new file here, before QSettings puts it in place: what
    // stays in the device's buffer is written when the file is committed, where a failure
    // goes unnoticed and a short file would take the place of the settings.
    const QByteArray bytes = encodeSettings(map);
    const LocalizableText failure
        = writeFully(device, bytes) < bytes.size() ? writeFailureOf(device) : LocalizableText();
    if (file != nullptr) {
        if (failure.isEmpty()) {
            file->known = map;
        } else {
            file->writeFailure = failure;
        }
    }
    return failure.isEmpty();
}

// Why QSettings didn't write the file (it says only that access failed, and only once):
// the file may not be written (a read-only disk, its mode), or a new file or the lock file
// beside it couldn't be made or take a few bytes (a full disk). Tried here to find the
// system's reason.
LocalizableText whyNotWritten(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::access(native.constData(), F_OK) == 0 && ::access(native.constData(), W_OK) != 0) {
        return qt_error_string(errno);
    }
    QSaveFile probe(path);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return probe.errorString();
    }
    const QByteArray bytes(256, ' ');
    const bool written = probe.write(bytes) == bytes.size();
    const QString reason = probe.errorString();
    probe.cancelWriting();
    if (!written) {
        return reason;
    }
    return LocalizableText::marked(notOpenedReason);
}

// Whether the file at `path` holds these settings (nothing there holds none).
bool fileHolds(const QString &path, const QSettings::SettingsMap &settings)
{
    QSettings::SettingsMap onDisk;
    if (fileNodeKind(path) != FileNodeKind::missing) {
        try {
            QJsonObject object;
            if (!whyNotSettings(path, readWholeFile(path), &object).isEmpty()) {
                return false;
            }
            decodeSettings(std::move(object), onDisk);
        } catch (const FileAccessError &) {
            return false;
        }
    }
    return encodeSettings(onDisk) == encodeSettings(settings);
}

std::optional<qint64> integralNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
        return value.toLongLong();
    case QMetaType::Double: {
        const double number = value.toDouble();
        if (std::isfinite(number) && number >= -9.2e18 && number <= 9.2e18) {
            return static_cast<qint64>(number);
        }
        return std::nullopt;
    }
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    case QMetaType::QString: {
        bool ok = false;
        const qint64 parsed = value.toString().trimmed().toLongLong(&ok);
        if (ok) {
            return parsed;
        }
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

} // namespace

QSettings::Format jsonSettingsFormat()
{
    static const QSettings::Format format
        = QSettings::registerFormat(QStringLiteral("json"), readJsonSettings, writeJsonSettings);
    return format;
}

UserDefaults::UserDefaults(const QString &filePath)
    : m_filePath(filePath)
    , m_file(std::make_unique<SettingsFileState>())
{
    m_syncRequests = std::make_unique<SyncRequests>();
    m_keptInMemoryBecause = prepareSettingsFile(filePath);
    if (m_keptInMemoryBecause) {
        return;
    }
    QDir().mkpath(QFileInfo(filePath).absolutePath());
    const SettingsFileScope reading(m_file.get());
    m_settings = std::make_unique<QSettings>(filePath, jsonSettingsFormat());
    m_settings->setFallbacksEnabled(false);
    m_settings->installEventFilter(m_syncRequests.get());
}

UserDefaults::~UserDefaults()
{
    sync();
    // With changes it couldn't write, QSettings would write them as it goes, opening what is
    // now at the path (a named pipe would block it, the target of a link to nothing would be
    // created): it is left as it is then, at the end of the run.
    if (m_settings && !whyLeftAlone(m_settings->fileName()).isEmpty()) {
        static auto *const undestroyed = new std::vector<std::unique_ptr<QSettings>>;
        undestroyed->push_back(std::move(m_settings));
    }
}

QString UserDefaults::standardFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/')
        + appBundleIdentifier() + QStringLiteral(".json");
}

UserDefaults &UserDefaults::standard()
{
    static UserDefaults defaults(standardFilePath());
    // Gone before the database: what the application changed last reaches the disk however
    // it ends.
    static const LastSave lastSave([] { defaults.sync(); });
    return defaults;
}

QString UserDefaults::filePath() const
{
    return m_settings ? m_settings->fileName() : m_filePath;
}

QVariant UserDefaults::object(const QString &key) const
{
    return m_settings ? m_settings->value(key) : m_memory.value(key);
}

bool UserDefaults::contains(const QString &key) const
{
    return m_settings ? m_settings->contains(key) : m_memory.contains(key);
}

QStringList UserDefaults::keys() const
{
    return m_settings ? m_settings->allKeys() : m_memory.keys();
}

std::optional<QString> UserDefaults::string(const QString &key) const
{
    const QVariant value = object(key);
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::Double:
        return value.toString();
    default:
        return std::nullopt;
    }
}

std::optional<QByteArray> UserDefaults::data(const QString &key) const
{
    const QVariant value = object(key);
    if (value.typeId() != QMetaType::QByteArray) {
        return std::nullopt;
    }
    return value.toByteArray();
}

std::optional<qint64> UserDefaults::integer(const QString &key) const
{
    return integralNumber(object(key));
}

std::optional<double> UserDefaults::number(const QString &key) const
{
    const QVariant value = object(key);
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::LongLong:
    case QMetaType::Int:
        return value.toDouble();
    case QMetaType::Bool:
        return value.toBool() ? 1.0 : 0.0;
    case QMetaType::QString: {
        bool ok = false;
        const double parsed = value.toString().trimmed().toDouble(&ok);
        if (ok) {
            return parsed;
        }
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<bool> UserDefaults::boolean(const QString &key) const
{
    const QVariant value = object(key);
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::Double:
        return value.toDouble() != 0.0;
    default:
        return std::nullopt;
    }
}

void UserDefaults::setValue(const QString &key, const QVariant &value)
{
    if (m_settings) {
        m_settings->setValue(key, value);
        m_changedKeys.insert(key);
    } else {
        m_memory.insert(key, value);
    }
    noteChange();
}

void UserDefaults::remove(const QString &key)
{
    if (m_settings) {
        m_settings->remove(key);
        m_changedKeys.insert(key);
    } else {
        m_memory.remove(key);
    }
    noteChange();
}

void UserDefaults::noteChange()
{
    m_unsavedChanges = true;
    m_reportedFailure.clear();
    requestSync();
}

void UserDefaults::sync()
{
    if (!m_settings) {
        // Nothing is written for this run: a change is lost at its end.
        m_syncRequested = false;
        if (m_unsavedChanges) {
            reportWriteFailure(*m_keptInMemoryBecause);
        }
        return;
    }
    const QString path = m_settings->fileName();
    const bool writing = m_unsavedChanges;
    m_syncRequested = false;
    if (const LocalizableText refusal = whyLeftAlone(path); !refusal.isEmpty()) {
        if (writing) {
            reportWriteFailure(refusal);
        }
        return;
    }
    const SettingsFileScope syncing(m_file.get());
    m_file->writeAttempted = false;
    m_file->writeFailure = {};
    // The file is looked at first. Settings QSettings would drop are put back; until that
    // works, QSettings keeps what it holds, and reads nothing.
    const FileLook look = lookAtFile(path, *m_file);
    if (!look.failure.isEmpty()) {
        reportWriteFailure(look.failure);
        return;
    }
    // Settings changed on disk are taken before QSettings writes what it holds over them,
    // as its own reading of the file would (when it sees the change).
    if (look.settings && writing) {
        takeSettingsChangedOnDisk(*look.settings);
    }
    m_settings->sync();
    // QSettings says only that access failed, and its status never returns to NoError after
    // a first failure: what failed is seen here, from the file itself while that status
    // stands. Changes it didn't write may have left nothing to write (a key removed that
    // wasn't there), or another database of the same file wrote them.
    LocalizableText failure = m_file->writeFailure;
    if (failure.isEmpty() && writing && (!m_file->writeAttempted || m_settings->status() != QSettings::NoError)) {
        QSettings::SettingsMap held;
        for (const QString &key : m_settings->allKeys()) {
            held.insert(key, m_settings->value(key));
        }
        if (!fileHolds(path, held)) {
            // Written in full, the new file didn't take the old one's place.
            failure = m_file->writeAttempted ? LocalizableText::marked(notReplacedReason) : whyNotWritten(path);
        }
    }
    if (failure.isEmpty()) {
        if (writing) {
            m_unsavedChanges = false;
            m_changedKeys.clear();
        }
        m_reportedFailure.clear();
    } else {
        reportWriteFailure(failure);
    }
    // With nothing to write, settings changed on disk that QSettings didn't read (the size
    // and time of the file were as it last saw them) are taken now, and written so that
    // QSettings holds them as the file's. The file holds them already: no change of the
    // player's is at stake, a failure of this write loses nothing, and QSettings tries it
    // again with the next sync.
    if (look.settings && !writing && takeSettingsChangedOnDisk(*look.settings)) {
        m_settings->sync();
    }
}

bool UserDefaults::takeSettingsChangedOnDisk(const QSettings::SettingsMap &onDisk)
{
    const QSettings::SettingsMap known = m_file->known.value_or(QSettings::SettingsMap());
    QStringList keys = onDisk.keys() + known.keys();
    keys.removeDuplicates();
    bool took = false;
    for (const QString &key : std::as_const(keys)) {
        // A change of this database not written yet stays over the file's value.
        const QVariant now = onDisk.value(key);
        if (m_changedKeys.contains(key) || sameSetting(now, known.value(key))) {
            continue;
        }
        if (now.isValid()) {
            m_settings->setValue(key, now);
        } else {
            m_settings->remove(key);
        }
        took = true;
    }
    return took;
}

void UserDefaults::requestSync()
{
    if (m_syncRequested) {
        return;
    }
    m_syncRequested = true;
    QMetaObject::invokeMethod(
        m_syncRequests.get(),
        [this] {
            if (m_syncRequested) {
                sync();
            }
        },
        Qt::QueuedConnection);
}

void UserDefaults::setWriteFailureHandler(std::function<void(const FileAccessError &)> handler)
{
    m_onWriteFailure = std::move(handler);
}

void UserDefaults::reportWriteFailure(const LocalizableText &reason)
{
    reportWriteFailure(FileAccessError(FileAccessError::Kind::writeFailed, filePath(), reason));
}

void UserDefaults::reportWriteFailure(const FileAccessError &error)
{
    // Tried again with nothing changed (at the application's end, say): the failure is told already.
    if (error.message() == m_reportedFailure) {
        return;
    }
    m_reportedFailure = error.message();
    qCCritical(Logger("UserDefaults")).noquote()
        << QStringLiteral("Veyra couldn't save its settings: %1").arg(error.message());
    if (m_onWriteFailure) {
        m_onWriteFailure(error);
    }
}

} // namespace veyra
