#pragma once

#include "capture/target/GameWindowProfileKey.h"

#include <QJsonObject>
#include <QString>
#include <QVector>

#include <cstdint>

namespace veyra {

// A rectangle in whole pixels of a window image: origin at the top-left corner,
// y growing downwards.
struct CaptureRegion
{
    std::int64_t left = 0;
    std::int64_t top = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;

    // A copy inside `bounds`, at least 4 x 4 pixels where the bounds allow it.
    CaptureRegion clamped(const CaptureRegion &bounds) const;

    // Every coordinate multiplied and rounded (halves away from zero); width and height at
    // least 1. Results beyond the 64-bit range saturate; a non-finite factor counts as 0.
    CaptureRegion scaled(double sx, double sy) const;

    QJsonObject toJson() const;
    static CaptureRegion fromJson(const QJsonObject &object);

    bool operator==(const CaptureRegion &) const = default;
};

// The dominant background colour of a dialogue box.
struct DialogueBackgroundPattern
{
    std::int64_t red = 0;
    std::int64_t green = 0;
    std::int64_t blue = 0;

    QJsonObject toJson() const;
    static DialogueBackgroundPattern fromJson(const QJsonObject &object);

    bool operator==(const DialogueBackgroundPattern &) const = default;
};

// One saved capture area: where to search for the dialogue box, and its colour.
struct CaptureArea
{
    QString id;
    CaptureRegion searchRegion;
    DialogueBackgroundPattern backgroundPattern;

    QJsonObject toJson() const;
    static CaptureArea fromJson(const QJsonObject &object);

    bool operator==(const CaptureArea &) const = default;
};

// The capture areas of one game window, in the user's order, drawn on a reference
// snapshot of the given pixel size.
struct CaptureAreaProfile
{
    GameApplicationIdentity applicationIdentity;
    QString windowTitle;
    std::int64_t referenceImageWidth = 0;
    std::int64_t referenceImageHeight = 0;
    QVector<CaptureArea> areas;

    GameWindowProfileKey key() const { return {applicationIdentity, windowTitle}; }

    // Keys are exactly the field names; fromJson throws DecodingError on a missing key or
    // a value of the wrong type, and ignores keys it does not know.
    QJsonObject toJson() const;
    static CaptureAreaProfile fromJson(const QJsonObject &object);

    friend bool operator==(const CaptureAreaProfile &a, const CaptureAreaProfile &b);
};

} // namespace veyra
