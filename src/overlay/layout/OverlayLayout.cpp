#include "overlay/layout/OverlayLayout.h"

#include "foundation/json/JsonDecoding.h"

namespace veyra {

QJsonObject OverlayLayout::toJson() const
{
    return {
        {QStringLiteral("normalizedX"), normalizedX},
        {QStringLiteral("normalizedY"), normalizedY},
        {QStringLiteral("width"), width},
        {QStringLiteral("height"), height},
    };
}

OverlayLayout OverlayLayout::fromJson(const QJsonObject &object)
{
    return {requireDouble(object, QStringLiteral("normalizedX")), requireDouble(object, QStringLiteral("normalizedY")),
        requireDouble(object, QStringLiteral("width")), requireDouble(object, QStringLiteral("height"))};
}

} // namespace veyra
