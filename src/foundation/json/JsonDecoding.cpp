#include "foundation/json/JsonDecoding.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QVariant>

#include <cmath>

namespace veyra {

DecodingError::DecodingError(const QString &detail)
    : Error(QStringLiteral("The data couldn't be read because it isn't in the correct format (%1).").arg(detail))
{ }

namespace {
QJsonValue require(const QJsonObject &object, const QString &key)
{
    const auto it = object.constFind(key);
    if (it == object.constEnd()) {
        throw DecodingError(QStringLiteral("missing \"%1\"").arg(key));
    }
    return it.value();
}

[[noreturn]] void wrongType(const QString &key, const char *expected)
{
    throw DecodingError(QStringLiteral("\"%1\" is not %2").arg(key, QLatin1String(expected)));
}
} // namespace

QJsonObject decodeJsonObject(const QByteArray &data)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError) {
        throw DecodingError(QStringLiteral("invalid JSON at offset %1: %2").arg(error.offset).arg(error.errorString()));
    }
    if (!document.isObject()) {
        throw DecodingError(QStringLiteral("the top level is not an object"));
    }
    return document.object();
}

std::optional<qint64> jsonInt64(const QJsonValue &value)
{
    if (!value.isDouble()) {
        return std::nullopt;
    }
    const QVariant number = value.toVariant();
    if (number.typeId() == QMetaType::LongLong) {
        return number.toLongLong();
    }
    const double d = value.toDouble();
    // 2^63 is the first double past the range of qint64.
    if (!std::isfinite(d) || d != std::trunc(d) || d < -9223372036854775808.0 || d >= 9223372036854775808.0) {
        return std::nullopt;
    }
    return static_cast<qint64>(d);
}

QString requireString(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = require(object, key);
    if (!value.isString()) {
        wrongType(key, "a string");
    }
    return value.toString();
}

qint64 requireInt64(const QJsonObject &object, const QString &key)
{
    const auto number = jsonInt64(require(object, key));
    if (!number) {
        wrongType(key, "an integer");
    }
    return *number;
}

double requireDouble(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = require(object, key);
    if (!value.isDouble()) {
        wrongType(key, "a number");
    }
    return value.toDouble();
}

bool requireBool(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = require(object, key);
    if (!value.isBool()) {
        wrongType(key, "a boolean");
    }
    return value.toBool();
}

QJsonObject requireObject(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = require(object, key);
    if (!value.isObject()) {
        wrongType(key, "an object");
    }
    return value.toObject();
}

QJsonArray requireArray(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = require(object, key);
    if (!value.isArray()) {
        wrongType(key, "an array");
    }
    return value.toArray();
}

QJsonObject requireObject(const QJsonValue &value, const QString &what)
{
    if (!value.isObject()) {
        wrongType(what, "an object");
    }
    return value.toObject();
}

} // namespace veyra
