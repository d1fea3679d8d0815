#pragma once

#include "capture/areas/CaptureArea.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QVector>

#include <cstdint>

namespace veyra {

// The whole content of the capture-area file.
struct CaptureAreaStoreDocument
{
    static constexpr std::int64_t currentSchemaVersion = 6;
    static QString currentCoordinateMode(); // "window_relative_pixels"

    // The part of the file read before anything else, to decide whether the rest can be
    // read at all. Both keys are required; other keys are ignored.
    struct DocumentHeader
    {
        std::int64_t schemaVersion = 0;
        QString coordinateMode;

        static DocumentHeader fromJson(const QJsonObject &object);
    };

    std::int64_t schemaVersion = currentSchemaVersion;
    QString coordinateMode = currentCoordinateMode();
    QVector<CaptureAreaProfile> profiles;

    QJsonObject toJson() const;
    // Throws DecodingError on a missing key or a value of the wrong type.
    static CaptureAreaStoreDocument fromJson(const QJsonObject &object);

    // The file's bytes: UTF-8 JSON, pretty-printed, keys sorted, "/" written as "\/".
    QByteArray encoded() const;

    bool operator==(const CaptureAreaStoreDocument &) const = default;
};

// The stored order of profiles: by identity value, then (for exactly equal values) by
// window title, both compared case-insensitively in the user's locale; the identity
// kind does not take part. Values that differ only in letter case count as neither
// before nor after each other, so such profiles keep their order whatever their titles.
// Stable.
void sortCaptureAreaProfiles(QVector<CaptureAreaProfile> &profiles);

} // namespace veyra
