#include "capture/areas/CaptureAreaStoreDocument.h"

#include "capture/target/GameWindowRecordOrder.h"
#include "foundation/json/JsonDecoding.h"
#include "foundation/json/JsonWriting.h"

#include <QJsonArray>
#include <QLocale>

namespace veyra {

QString CaptureAreaStoreDocument::currentCoordinateMode()
{
    return QStringLiteral("window_relative_pixels");
}

CaptureAreaStoreDocument::DocumentHeader CaptureAreaStoreDocument::DocumentHeader::fromJson(const QJsonObject &object)
{
    return {
        requireInt64(object, QStringLiteral("schemaVersion")), requireString(object, QStringLiteral("coordinateMode"))};
}

QJsonObject CaptureAreaStoreDocument::toJson() const
{
    QJsonArray profileArray;
    for (const CaptureAreaProfile &profile : profiles) {
        profileArray.append(profile.toJson());
    }
    return {{QStringLiteral("schemaVersion"), static_cast<qint64>(schemaVersion)},
        {QStringLiteral("coordinateMode"), coordinateMode}, {QStringLiteral("profiles"), profileArray}};
}

CaptureAreaStoreDocument CaptureAreaStoreDocument::fromJson(const QJsonObject &object)
{
    CaptureAreaStoreDocument document;
    document.schemaVersion = requireInt64(object, QStringLiteral("schemaVersion"));
    document.coordinateMode = requireString(object, QStringLiteral("coordinateMode"));
    const QJsonArray profileArray = requireArray(object, QStringLiteral("profiles"));
    document.profiles.reserve(profileArray.size());
    for (const QJsonValue &value : profileArray) {
        document.profiles.append(CaptureAreaProfile::fromJson(requireObject(value, QStringLiteral("profiles[]"))));
    }
    return document;
}

QByteArray CaptureAreaStoreDocument::encoded() const
{
    return writeJson(toJson(), {.prettyPrinted = true, .withoutEscapingSlashes = false});
}

void sortCaptureAreaProfiles(QVector<CaptureAreaProfile> &profiles)
{
    sortByApplicationAndTitle(profiles);
}

} // namespace veyra
