#pragma once

#include "foundation/json/JsonWriting.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

namespace veyra {

// The body of POST v1/app/game-titles/resolve: the window's metadata as JSON text.
struct GameTitleResolutionRequest
{
    QString text;

    // {"text": ...}, compact, with "/" escaped as "\/".
    QByteArray toJson() const { return writeJson(QJsonObject{{QStringLiteral("text"), text}}); }
};

} // namespace veyra
