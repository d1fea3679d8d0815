#pragma once

#include "capture/target/CaptureTarget.h"

#include <QJsonObject>
#include <QString>

#include <optional>

namespace veyra {

// What the server is told about a game window so that it can name the game.
struct GameTitleWindowMetadata
{
    QString applicationName;
    QString windowTitle;
    std::optional<QString> bundleIdentifier;
    std::optional<QString> executablePath;

    GameTitleWindowMetadata() = default;
    GameTitleWindowMetadata(QString applicationName, QString windowTitle, std::optional<QString> bundleIdentifier,
        std::optional<QString> executablePath);

    // The target's window: application name and window title exactly as they are; the
    // bundle identifier with its whitespace collapsed (none when that leaves nothing);
    // the executable's standardised path.
    explicit GameTitleWindowMetadata(const CaptureTarget &target);

    // All four keys, an absent value as null.
    QJsonObject toJson() const;

    // The JSON text sent to the server: one line, keys sorted ("application_name",
    // "bundle_identifier", "executable_path", "window_title"), "/" not escaped.
    QString jsonText() const;

    bool operator==(const GameTitleWindowMetadata &) const = default;
};

} // namespace veyra
