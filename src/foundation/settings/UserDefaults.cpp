#include "foundation/settings/UserDefaults.h"

#include "foundation/identity/AppIdentity.h"
#include "foundation/logging/Logger.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QStandardPaths>

#include <cmath>

namespace veyra {

namespace {

// On disk, strings, booleans and integers are plain JSON values; a double is written as
// {"double": x} and bytes as {"data": "<base64>"} so that neither comes back as
// something else.
const QString doubleTag = QStringLiteral("double");
const QString dataTag = QStringLiteral("data");

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
        return QJsonObject{{doubleTag, value.toDouble()}};
    case QMetaType::QByteArray:
        return QJsonObject{{dataTag, QString::fromLatin1(value.toByteArray().toBase64())}};
    case QMetaType::QString:
        return value.toString();
    default:
        return QJsonValue::fromVariant(value);
    }
}

QVariant decodeValue(const QJsonValue &value)
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
    case QJsonValue::Object: {
        const QJsonObject object = value.toObject();
        if (object.size() == 1 && object.contains(doubleTag) && object.value(doubleTag).isDouble()) {
            return object.value(doubleTag).toDouble();
        }
        if (object.size() == 1 && object.contains(dataTag) && object.value(dataTag).isString()) {
            return QByteArray::fromBase64(object.value(dataTag).toString().toLatin1());
        }
        return object.toVariantMap();
    }
    case QJsonValue::Array:
        return value.toArray().toVariantList();
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        break;
    }
    return {};
}

bool readJsonSettings(QIODevice &device, QSettings::SettingsMap &map)
{
    const QByteArray bytes = device.readAll();
    if (bytes.trimmed().isEmpty()) {
        return true;
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        // A damaged file must not take the application down: start from empty
        // settings, and the next write replaces the file.
        qCWarning(Logger("UserDefaults")) << "Ignoring unreadable settings file:" << error.errorString();
        return true;
    }
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QVariant value = decodeValue(it.value());
        if (value.isValid()) {
            map.insert(it.key(), value);
        }
    }
    return true;
}

bool writeJsonSettings(QIODevice &device, const QSettings::SettingsMap &map)
{
    QJsonObject object;
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
{
    QDir().mkpath(QFileInfo(filePath).absolutePath());
    m_settings = std::make_unique<QSettings>(filePath, jsonSettingsFormat());
    m_settings->setFallbacksEnabled(false);
}

UserDefaults::~UserDefaults()
{
    m_settings->sync();
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
    return m_settings->fileName();
}

QVariant UserDefaults::object(const QString &key) const
{
    return m_settings->value(key);
}

bool UserDefaults::contains(const QString &key) const
{
    return m_settings->contains(key);
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
    m_settings->setValue(key, value);
}

void UserDefaults::remove(const QString &key)
{
    m_settings->remove(key);
}

void UserDefaults::sync()
{
    m_settings->sync();
}

} // namespace veyra
