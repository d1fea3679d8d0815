#pragma once

#include "capture/target/GameWindowProfileKey.h"

#include <QImage>
#include <QRectF>
#include <QString>
#include <QUrl>
#include <QVector>

#include <cstdint>
#include <optional>

namespace veyra {

// One concrete window of a running application, as the user picked it.
struct CaptureTarget
{
    // The X window of the client area.
    std::uint32_t windowID = 0;
    std::int32_t processID = 0;
    std::optional<QString> bundleIdentifier;
    std::optional<QUrl> executableURL;
    QString applicationName;
    // Trimmed; empty for an untitled window.
    QString windowTitle;
    // In root-window coordinates, origin top left, y downwards.
    QRectF frame;

    std::uint32_t id() const { return windowID; }

    // "1280 × 720": width and height truncated toward zero.
    QString sizeDescription() const;

    // The key of this window's game, or nothing when the application has neither a
    // bundle identifier nor an executable.
    std::optional<GameWindowProfileKey> profileKey() const;

    friend bool operator==(const CaptureTarget &a, const CaptureTarget &b);
};

// A running application with its capturable windows, as the window catalog lists it.
struct CaptureApplicationGroup
{
    std::int32_t processID = 0;
    std::optional<QString> bundleIdentifier;
    std::optional<QUrl> executableURL;
    QString applicationName;
    // A null image when the application has no icon.
    QImage icon;
    QVector<CaptureTarget> windows;

    std::int32_t id() const { return processID; }
};

// The standardised, percent-decoded path of a file URL ("." and ".." resolved, no
// links followed).
QString standardizedPath(const QUrl &fileURL);

} // namespace veyra
