#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

namespace veyra {

// One installable release of the update feed.
struct AppcastItem
{
    QString title;
    // The build, compared with the running build ("sparkle:version").
    QString versionString;
    // The version shown to the user ("sparkle:shortVersionString"; the build when absent).
    QString displayVersionString;
    // The embedded release notes ("description") and their format ("sparkle:format" on
    // it, "html" when not given).
    std::optional<QString> itemDescription;
    std::optional<QString> itemDescriptionFormat;
    // Release notes published beside the feed ("sparkle:releaseNotesLink").
    std::optional<QUrl> releaseNotesURL;
    // The release's web page ("link"), opened where the update cannot be installed.
    std::optional<QUrl> infoURL;
    // The archive: where it is, how many bytes it has, and its 64-byte Ed25519 signature.
    QUrl fileURL;
    qint64 contentLength = 0;
    QByteArray edSignature;

    bool operator==(const AppcastItem &) const = default;
};

} // namespace veyra
