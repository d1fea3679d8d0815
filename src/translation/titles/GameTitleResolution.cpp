#include "translation/titles/GameTitleResolution.h"

#include "foundation/json/JsonDecoding.h"
#include "foundation/text/TextNormalization.h"

namespace veyra {

namespace {
std::optional<QString> normalizedName(const std::optional<QString> &name)
{
    if (!name) {
        return std::nullopt;
    }
    QString collapsed = collapseWhitespace(*name);
    if (collapsed.isEmpty()) {
        return std::nullopt;
    }
    return collapsed;
}
} // namespace

std::optional<QString> optionalString(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull()) {
        return std::nullopt;
    }
    if (!value.isString()) {
        throw DecodingError(QStringLiteral("\"%1\" is not a string").arg(key));
    }
    return value.toString();
}

GameTitleResolution::GameTitleResolution(
    const std::optional<QString> &extractedGameName, const std::optional<QString> &representativeGameName)
    : m_extractedGameName(normalizedName(extractedGameName))
    , m_representativeGameName(normalizedName(representativeGameName))
{ }

QJsonObject GameTitleResolution::toJson() const
{
    QJsonObject object;
    if (m_extractedGameName) {
        object.insert(QStringLiteral("extracted_game_name"), *m_extractedGameName);
    }
    if (m_representativeGameName) {
        object.insert(QStringLiteral("representative_game_name"), *m_representativeGameName);
    }
    return object;
}

GameTitleResolution GameTitleResolution::fromJson(const QByteArray &json)
{
    return fromJson(decodeJsonObject(json));
}

GameTitleResolution GameTitleResolution::fromJson(const QJsonObject &object)
{
    return GameTitleResolution(optionalString(object, QStringLiteral("extracted_game_name")),
        optionalString(object, QStringLiteral("representative_game_name")));
}

} // namespace veyra
