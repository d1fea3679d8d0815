#include "foundation/settings/UserDefaults.h"

#include "foundation/files/FileIO.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/logging/Logger.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QStandardPaths>

#include <cmath>
#include <limits>
#include <optional>

namespace veyra {

namespace {

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

bool readJsonSettings(QIODevice &device, QSettings::SettingsMap &map)
{
    QString damage;
    std::optional<QJsonObject> read = settingsObject(device.readAll(), &damage);
    // A file damaged since UserDefaults looked at it must not take the application down.
    if (!read) {
        qCWarning(Logger("UserDefaults")).noquote()
            << QStringLiteral("Ignoring unreadable settings file %1: %2").arg(deviceName(device), damage);
        return true;
    }
    QJsonObject &object = *read;
    const bool firstFormat = object.take(formatKey).isUndefined();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QVariant value = firstFormat ? decodeFirstFormatValue(it.value()) : decodeValue(it.value());
        if (value.isValid()) {
            map.insert(it.key(), value);
        }
    }
    return true;
}

// Looks at the file before QSettings does: true when QSettings may read and write it.
// A damaged file (or a link to something that is not readable settings) is moved aside;
// what is not a regular file is left alone and refused.
bool prepareSettingsFile(const QString &path)
{
    const Logger logger("UserDefaults");
    const FileNodeKind node = fileNodeKind(path);
    if (node == FileNodeKind::missing) {
        return true;
    }
    QString damage;
    if (node == FileNodeKind::danglingLink) {
        damage = QStringLiteral("it is a link to %1, which doesn't exist").arg(QFileInfo(path).symLinkTarget());
    } else if (node == FileNodeKind::regularFile) {
        try {
            settingsObject(readWholeFile(path), &damage);
        } catch (const FileAccessError &error) {
            qCCritical(logger).noquote() << QStringLiteral("Veyra couldn't read its settings, so it keeps them in "
                                                           "memory for this run and leaves the file alone: %1")
                                                .arg(error.message());
            return false;
        }
    } else if (node == FileNodeKind::folder || node == FileNodeKind::other) {
        qCCritical(logger).noquote() << QStringLiteral(
            "The settings file %1 is %2, not a regular file: Veyra leaves it alone and keeps "
            "its settings in memory for this run.")
                                            .arg(path,
                                                node == FileNodeKind::folder
                                                    ? QStringLiteral("a folder")
                                                    : QStringLiteral("a named pipe, a device or a socket"));
        return false;
    }
    if (damage.isEmpty()) {
        return true;
    }
    const QString aside = unusedNameBeside(path, QStringLiteral("damaged"), QDateTime::currentDateTimeUtc(), false);
    // A link is moved itself: its target stays as it is.
    if (!QFile::rename(path, aside)) {
        qCCritical(logger).noquote() << QStringLiteral(
            "The settings file %1 is damaged (%2) and couldn't be moved aside to %3: Veyra leaves "
            "it alone and keeps its settings in memory for this run.")
                                            .arg(path, damage, aside);
        return false;
    }
    qCWarning(logger).noquote() << QStringLiteral(
        "The settings file %1 was damaged (%2): it was moved to %3, and Veyra starts from its "
        "default settings.")
                                       .arg(path, damage, aside);
    return true;
}

bool writeJsonSettings(QIODevice &device, const QSettings::SettingsMap &map)
{
    QJsonObject object;
    object.insert(formatKey, currentFormat);
    for (auto it = map.begin(); it != map.end(); ++it) {
        object.insert(it.key(), encodeValue(it.value()));
    }
    const QByteArray bytes = QJsonDocument(object).toJson(QJsonDocument::Indented);
    return device.write(bytes) == bytes.size();
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
{
    if (!prepareSettingsFile(filePath)) {
        return;
    }
    QDir().mkpath(QFileInfo(filePath).absolutePath());
    m_settings = std::make_unique<QSettings>(filePath, jsonSettingsFormat());
    m_settings->setFallbacksEnabled(false);
}

UserDefaults::~UserDefaults()
{
    if (m_settings) {
        m_settings->sync();
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
    } else {
        m_memory.insert(key, value);
    }
}

void UserDefaults::remove(const QString &key)
{
    if (m_settings) {
        m_settings->remove(key);
    } else {
        m_memory.remove(key);
    }
}

void UserDefaults::sync()
{
    if (m_settings) {
        m_settings->sync();
    }
}

} // namespace veyra
