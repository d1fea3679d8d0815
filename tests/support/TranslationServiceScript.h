#pragma once

#include "support/ServiceStandIn.h"

#include <QJsonObject>
#include <QUuid>

#include <optional>

namespace veyra::test {

// The translation endpoint of the service, as the stand-in serves it.
inline const QString translationsPath = QStringLiteral("/v1/app/translations");

// A well-formed answer of the translation endpoint.
inline QJsonObject translationAnswer(const QString &sourceText, const QString &translatedText,
    const QString &targetLanguage, std::optional<QUuid> translationID = QUuid::createUuid())
{
    QJsonObject answer{
        {QStringLiteral("source_text"), sourceText},
        {QStringLiteral("translated_text"), translatedText},
        {QStringLiteral("source_language"), QStringLiteral("auto")},
        {QStringLiteral("target_language"), targetLanguage},
        {QStringLiteral("from_cache"), false},
    };
    if (translationID) {
        answer.insert(QStringLiteral("translation_id"), translationID->toString(QUuid::WithoutBraces));
    }
    return answer;
}

// Answers every translation request by putting "[<target language>] " before its text.
inline ServiceStandIn::Responder translatingResponder()
{
    return [](const RecordedRequest &request) {
        const QJsonObject body = request.jsonBody();
        const QString text = body.value(QStringLiteral("text")).toString();
        const QString language = body.value(QStringLiteral("target_language")).toString();
        return ScriptedResponse::json(translationAnswer(text, QStringLiteral("[%1] %2").arg(language, text), language));
    };
}

} // namespace veyra::test
