#pragma once

#include "foundation/errors/Error.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

namespace veyra {

// Thrown when a JSON document does not have the expected shape: a required key is
// missing or holds a value of the wrong type.
class DecodingError : public Error
{
public:
    explicit DecodingError(const QString &detail);
};

// The JSON object held by a document's bytes; throws DecodingError when the bytes are
// not JSON or not an object.
QJsonObject decodeJsonObject(const QByteArray &data);

// Required members of a JSON object; each throws DecodingError when the key is missing
// or of another type.
QString requireString(const QJsonObject &object, const QString &key);
qint64 requireInt64(const QJsonObject &object, const QString &key);
double requireDouble(const QJsonObject &object, const QString &key);
bool requireBool(const QJsonObject &object, const QString &key);
QJsonObject requireObject(const QJsonObject &object, const QString &key);
QJsonArray requireArray(const QJsonObject &object, const QString &key);

// A value that must itself be an object (an element of an array, say).
QJsonObject requireObject(const QJsonValue &value, const QString &what);

// An integral JSON number that fits in 64 bits, or nothing.
std::optional<qint64> jsonInt64(const QJsonValue &value);

} // namespace veyra
