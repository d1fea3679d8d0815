#pragma once

#include "foundation/async/CancellationToken.h"
#include "update/updater/AppcastItem.h"

#include <QByteArray>
#include <QList>

#include <qcoro/qcorotask.h>

#include <functional>
#include <optional>

namespace veyra {

// How deeply elements may nest inside an item's <description>: release notes written as
// markup nest a few levels; an item whose notes nest deeper is left out as invalid.
inline constexpr int maximumAppcastDescriptionNesting = 64;

// The update feed: an RSS 2.0 document whose channel holds one item per release, with the
// elements and attributes of the widely used appcast namespace (declared as xmlns:sparkle;
// matched by its URI, whatever the prefix):
//
//   <item>
//     <title>Veyra 1.2</title>
//     <link>https://veyra.example/download</link>
//     <sparkle:version>120</sparkle:version>
//     <sparkle:shortVersionString>1.2</sparkle:shortVersionString>
//     <sparkle:releaseNotesLink>https://veyra.example/notes/1.2.html</sparkle:releaseNotesLink>
//     <description sparkle:format="markdown">...</description>
//     <enclosure url="https://veyra.example/Veyra-1.2.AppImage" length="123456"
//                sparkle:edSignature="(Base64 of 64 bytes)" type="application/octet-stream"/>
//   </item>
//
// The version and short version may also be attributes of the enclosure.
struct Appcast
{
    // The installable items, in feed order.
    QList<AppcastItem> items;
    // Items left out because they cannot be installed: no build, no enclosure, a URL of
    // the enclosure that is neither https nor http on the loopback host, a length that
    // is not a positive whole number or is larger than maximumUpdateArchiveBytes (a feed
    // must not be able to make the updater fill the disk), or a signature that is not
    // Base64 of 64 bytes, or release notes that nest elements deeper than
    // maximumAppcastDescriptionNesting.
    int skippedItemCount = 0;

    // Reads a feed, in time in proportion to its length whatever it holds. Throws
    // AppUpdaterError::invalidFeed when the bytes are not well-formed XML or not an RSS
    // document with a channel, or hold markup that no feed needs and that would take Qt's
    // XML reader time growing with its square (refusedFeedMarkup(): an element with
    // hundreds of attributes or namespace declarations, declarations in a document type),
    // which is refused before that reader meets it. With `stopRequested`, asks it every so
    // often and throws CancellationError once it answers true.
    static Appcast parse(const QByteArray &document, const std::function<bool()> &stopRequested = {});

    // parse() on cpuWorkPool(), never on the calling thread: a feed of a few megabytes takes
    // a few hundred milliseconds. Stops (CancellationError) soon after `token` is cancelled or
    // the application's end has begun (workerPoolsHaveEnded()), so that neither waits for it.
    static QCoro::Task<Appcast> read(QByteArray document, CancellationToken token);
};

// The item with the newest build that is newer than `currentBuild` (builds compared by
// compareBuilds()); the first of equal builds. Nothing when no item is newer.
std::optional<AppcastItem> selectNewestUpdate(const QList<AppcastItem> &items, const QString &currentBuild);

// Whether the feed may send the updater to this address: https anywhere, http only to
// the loopback hosts "127.0.0.1" and "localhost"; a host and no user information.
bool isAllowedFeedLink(const QUrl &url);

} // namespace veyra
