#include "translation/translations/TranslationRequest.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace veyra {

namespace {
// One JSON value as compact text (QJsonDocument only writes arrays and objects).
QByteArray encodedValue(const QJsonValue &value)
{
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}
} // namespace

QByteArray TranslationRequest::toJson() const
{
    // Written by hand because QJsonObject orders its keys alphabetically.
    QByteArray json;
    json += "{\"text\":";
    json += encodedValue(text);
    json += ",\"game_title\":";
    json += gameTitle ? encodedValue(*gameTitle) : QByteArray("null");
    json += ",\"target_language\":";
    json += encodedValue(rawValue(targetLanguage));
    json += '}';
    return json;
}

} // namespace veyra
