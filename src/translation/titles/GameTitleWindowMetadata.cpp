#include "translation/titles/GameTitleWindowMetadata.h"

#include "foundation/json/JsonWriting.h"
#include "foundation/text/TextNormalization.h"

namespace veyra {

namespace {
QJsonValue optionalValue(const std::optional<QString> &text)
{
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}
} // namespace

GameTitleWindowMetadata::GameTitleWindowMetadata(QString applicationName, QString windowTitle,
    std::optional<QString> bundleIdentifier, std::optional<QString> executablePath)
    : applicationName(std::move(applicationName))
    , windowTitle(std::move(windowTitle))
    , bundleIdentifier(std::move(bundleIdentifier))
    , executablePath(std::move(executablePath))
{ }

GameTitleWindowMetadata::GameTitleWindowMetadata(const CaptureTarget &target)
    : applicationName(target.applicationName)
    , windowTitle(target.windowTitle)
{
    if (target.bundleIdentifier) {
        const QString collapsed = collapseWhitespace(*target.bundleIdentifier);
        if (!collapsed.isEmpty()) {
            bundleIdentifier = collapsed;
        }
    }
    if (target.executableURL) {
        executablePath = standardizedPath(*target.executableURL);
    }
}

QJsonObject GameTitleWindowMetadata::toJson() const
{
    return {
        {QStringLiteral("application_name"), applicationName},
        {QStringLiteral("window_title"), windowTitle},
        {QStringLiteral("bundle_identifier"), optionalValue(bundleIdentifier)},
        {QStringLiteral("executable_path"), optionalValue(executablePath)},
    };
}

QString GameTitleWindowMetadata::jsonText() const
{
    return QString::fromUtf8(writeJson(toJson(), {.prettyPrinted = false, .withoutEscapingSlashes = true}));
}

} // namespace veyra
