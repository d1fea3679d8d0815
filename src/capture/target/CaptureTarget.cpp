#include "capture/target/CaptureTarget.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace veyra {

namespace {
qint64 truncatedDimension(double value)
{
    if (!std::isfinite(value)) {
        return 0;
    }
    constexpr double limit = 9.2e18;
    return static_cast<qint64>(std::clamp(value, -limit, limit));
}
} // namespace

QString CaptureTarget::sizeDescription() const
{
    return QStringLiteral("%1 \u00D7 %2")
        .arg(truncatedDimension(frame.width()))
        .arg(truncatedDimension(frame.height()));
}

QString standardizedPath(const QUrl &fileURL)
{
    return fileURL.adjusted(QUrl::NormalizePathSegments).toLocalFile();
}

std::optional<GameWindowProfileKey> CaptureTarget::profileKey() const
{
    GameApplicationIdentity identity;
    const QString trimmedBundle = bundleIdentifier ? bundleIdentifier->trimmed() : QString();
    if (!trimmedBundle.isEmpty()) {
        identity = {GameApplicationIdentity::Kind::bundleIdentifier, trimmedBundle};
    } else if (executableURL) {
        identity = {GameApplicationIdentity::Kind::executablePath, standardizedPath(*executableURL)};
    } else {
        return std::nullopt;
    }
    return GameWindowProfileKey{identity, windowTitle.trimmed()};
}

bool operator==(const CaptureTarget &a, const CaptureTarget &b)
{
    const bool sameBundle = a.bundleIdentifier.has_value() == b.bundleIdentifier.has_value()
        && (!a.bundleIdentifier || canonicallyEqual(*a.bundleIdentifier, *b.bundleIdentifier));
    return a.windowID == b.windowID && a.processID == b.processID && sameBundle && a.executableURL == b.executableURL
        && canonicallyEqual(a.applicationName, b.applicationName) && canonicallyEqual(a.windowTitle, b.windowTitle)
        && a.frame.x() == b.frame.x() && a.frame.y() == b.frame.y() && a.frame.width() == b.frame.width()
        && a.frame.height() == b.frame.height();
}

} // namespace veyra
