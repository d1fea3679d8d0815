#include "translation/translations/TranslationResponse.h"

#include "foundation/json/JsonDecoding.h"

#include <QJsonObject>

namespace veyra {

namespace {
std::optional<QUuid> optionalUuid(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull()) {
        return std::nullopt;
    }
    if (!value.isString()) {
        throw DecodingError(QStringLiteral("\"%1\" is not a string").arg(key));
    }
    const QString text = value.toString();
    // QUuid also accepts braces; the wire carries the plain 8-4-4-4-12 form only.
    const QUuid uuid = text.size() == 36 ? QUuid::fromString(text) : QUuid();
    if (uuid.isNull() && text != QLatin1String("00000000-0000-0000-0000-000000000000")) {
        throw DecodingError(QStringLiteral("\"%1\" is not a UUID").arg(key));
    }
    return uuid;
}
} // namespace

TranslationResponse TranslationResponse::fromJson(const QByteArray &json)
{
    const QJsonObject object = decodeJsonObject(json);
    TranslationResponse response;
    response.translationID = optionalUuid(object, QStringLiteral("translation_id"));
    response.sourceText = requireString(object, QStringLiteral("source_text"));
    response.translatedText = requireString(object, QStringLiteral("translated_text"));
    response.sourceLanguage = requireString(object, QStringLiteral("source_language"));
    const auto target = object.constFind(QStringLiteral("target_language"));
    if (target == object.constEnd()) {
        throw DecodingError(QStringLiteral("missing \"target_language\""));
    }
    response.targetLanguage = translationTargetLanguageFromJson(*target);
    response.fromCache = requireBool(object, QStringLiteral("from_cache"));
    return response;
}

} // namespace veyra
