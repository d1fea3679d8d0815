#pragma once

#include "support/ServiceStandIn.h"

#include <QJsonObject>
#include <QUuid>

#include <optional>

namespace veyra::test {

// The game-title endpoint of the service, as the stand-in serves it.
inline const QString gameTitleResolvePath = QStringLiteral("/v1/app/game-titles/resolve");

// The error-report endpoint of a translation.
inline QString errorReportPath(const QUuid &translationID)
{
    return QStringLiteral("/v1/app/translations/%1/error-reports")
        .arg(translationID.toString(QUuid::WithoutBraces).toLower());
}

// An answer of the game-title endpoint; an absent name is left out.
inline QJsonObject gameTitleAnswer(
    const std::optional<QString> &extractedGameName, const std::optional<QString> &representativeGameName)
{
    QJsonObject answer;
    if (extractedGameName) {
        answer.insert(QStringLiteral("extracted_game_name"), *extractedGameName);
    }
    if (representativeGameName) {
        answer.insert(QStringLiteral("representative_game_name"), *representativeGameName);
    }
    return answer;
}

// The metadata JSON text a game-title request carried inside its "text".
inline QString resolvedMetadataText(const RecordedRequest &request)
{
    return request.jsonBody().value(QStringLiteral("text")).toString();
}

} // namespace veyra::test
