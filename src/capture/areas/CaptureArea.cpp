#include "capture/areas/CaptureArea.h"

#include "foundation/json/JsonDecoding.h"

#include <QJsonArray>

#include <algorithm>
#include <cmath>
#include <limits>

namespace veyra {

namespace {

using Limits = std::numeric_limits<std::int64_t>;

// a + b, saturated to the 64-bit range.
std::int64_t saturatingAdd(std::int64_t a, std::int64_t b)
{
    std::int64_t result = 0;
    if (__builtin_add_overflow(a, b, &result)) {
        return b > 0 ? Limits::max() : Limits::min();
    }
    return result;
}

std::int64_t saturatingSubtract(std::int64_t a, std::int64_t b)
{
    std::int64_t result = 0;
    if (__builtin_sub_overflow(a, b, &result)) {
        return b < 0 ? Limits::max() : Limits::min();
    }
    return result;
}

// value x factor rounded half away from zero, saturated to the 64-bit range.
std::int64_t scaledCoordinate(std::int64_t value, double factor)
{
    if (!std::isfinite(factor)) {
        factor = 0.0;
    }
    const double product = std::round(static_cast<double>(value) * factor);
    // 2^63 is exactly representable; every double below it converts without overflow.
    constexpr double upper = 9223372036854775808.0;
    if (std::isnan(product)) {
        return 0;
    }
    if (product >= upper) {
        return Limits::max();
    }
    if (product < -upper) {
        return Limits::min();
    }
    return static_cast<std::int64_t>(product);
}

} // namespace

CaptureRegion CaptureRegion::clamped(const CaptureRegion &bounds) const
{
    const std::int64_t boundsWidth = std::max<std::int64_t>(bounds.width, 1);
    const std::int64_t boundsHeight = std::max<std::int64_t>(bounds.height, 1);
    const std::int64_t newWidth = std::min(std::max(width, std::min<std::int64_t>(boundsWidth, 4)), boundsWidth);
    const std::int64_t newHeight = std::min(std::max(height, std::min<std::int64_t>(boundsHeight, 4)), boundsHeight);
    const std::int64_t maxLeft = saturatingSubtract(saturatingAdd(bounds.left, boundsWidth), newWidth);
    const std::int64_t maxTop = saturatingSubtract(saturatingAdd(bounds.top, boundsHeight), newHeight);
    return {std::min(std::max(left, bounds.left), maxLeft), std::min(std::max(top, bounds.top), maxTop), newWidth,
        newHeight};
}

CaptureRegion CaptureRegion::scaled(double sx, double sy) const
{
    return {scaledCoordinate(left, sx), scaledCoordinate(top, sy),
        std::max<std::int64_t>(scaledCoordinate(width, sx), 1),
        std::max<std::int64_t>(scaledCoordinate(height, sy), 1)};
}

QJsonObject CaptureRegion::toJson() const
{
    return {{QStringLiteral("left"), static_cast<qint64>(left)}, {QStringLiteral("top"), static_cast<qint64>(top)},
        {QStringLiteral("width"), static_cast<qint64>(width)}, {QStringLiteral("height"), static_cast<qint64>(height)}};
}

CaptureRegion CaptureRegion::fromJson(const QJsonObject &object)
{
    return {requireInt64(object, QStringLiteral("left")), requireInt64(object, QStringLiteral("top")),
        requireInt64(object, QStringLiteral("width")), requireInt64(object, QStringLiteral("height"))};
}

QJsonObject DialogueBackgroundPattern::toJson() const
{
    return {{QStringLiteral("red"), static_cast<qint64>(red)}, {QStringLiteral("green"), static_cast<qint64>(green)},
        {QStringLiteral("blue"), static_cast<qint64>(blue)}};
}

DialogueBackgroundPattern DialogueBackgroundPattern::fromJson(const QJsonObject &object)
{
    return {requireInt64(object, QStringLiteral("red")), requireInt64(object, QStringLiteral("green")),
        requireInt64(object, QStringLiteral("blue"))};
}

QJsonObject CaptureArea::toJson() const
{
    return {{QStringLiteral("id"), id}, {QStringLiteral("searchRegion"), searchRegion.toJson()},
        {QStringLiteral("backgroundPattern"), backgroundPattern.toJson()}};
}

CaptureArea CaptureArea::fromJson(const QJsonObject &object)
{
    return {requireString(object, QStringLiteral("id")),
        CaptureRegion::fromJson(requireObject(object, QStringLiteral("searchRegion"))),
        DialogueBackgroundPattern::fromJson(requireObject(object, QStringLiteral("backgroundPattern")))};
}

QJsonObject CaptureAreaProfile::toJson() const
{
    QJsonArray areaArray;
    for (const CaptureArea &area : areas) {
        areaArray.append(area.toJson());
    }
    return {{QStringLiteral("applicationIdentity"), applicationIdentity.toJson()},
        {QStringLiteral("windowTitle"), windowTitle},
        {QStringLiteral("referenceImageWidth"), static_cast<qint64>(referenceImageWidth)},
        {QStringLiteral("referenceImageHeight"), static_cast<qint64>(referenceImageHeight)},
        {QStringLiteral("areas"), areaArray}};
}

CaptureAreaProfile CaptureAreaProfile::fromJson(const QJsonObject &object)
{
    CaptureAreaProfile profile;
    profile.applicationIdentity
        = GameApplicationIdentity::fromJson(requireObject(object, QStringLiteral("applicationIdentity")));
    profile.windowTitle = requireString(object, QStringLiteral("windowTitle"));
    profile.referenceImageWidth = requireInt64(object, QStringLiteral("referenceImageWidth"));
    profile.referenceImageHeight = requireInt64(object, QStringLiteral("referenceImageHeight"));
    const QJsonArray areaArray = requireArray(object, QStringLiteral("areas"));
    profile.areas.reserve(areaArray.size());
    for (const QJsonValue &value : areaArray) {
        profile.areas.append(CaptureArea::fromJson(requireObject(value, QStringLiteral("areas[]"))));
    }
    return profile;
}

bool operator==(const CaptureAreaProfile &a, const CaptureAreaProfile &b)
{
    return a.key() == b.key() && a.referenceImageWidth == b.referenceImageWidth
        && a.referenceImageHeight == b.referenceImageHeight && a.areas == b.areas;
}

} // namespace veyra
