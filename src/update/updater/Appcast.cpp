#include "update/updater/Appcast.h"

#include "update/configuration/StandardBase64.h"
#include "update/updater/AppUpdaterError.h"
#include "update/updater/UpdateArchiveDownloading.h"
#include "update/version/BuildComparison.h"

#include <QXmlStreamReader>

namespace veyra {

namespace {

const QString appcastNamespace = QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");
constexpr qsizetype signatureBytes = 64;

bool isAppcastName(const QXmlStreamReader &reader, QLatin1String name)
{
    return reader.namespaceUri() == appcastNamespace && reader.name() == name;
}

bool isPlainName(const QXmlStreamReader &reader, QLatin1String name)
{
    return reader.namespaceUri().isEmpty() && reader.name() == name;
}

QString appcastAttribute(const QXmlStreamAttributes &attributes, const QString &name)
{
    return attributes.value(appcastNamespace, name).toString().trimmed();
}

std::optional<QUrl> feedLink(const QString &text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (text.trimmed().isEmpty() || !url.isValid() || !isAllowedFeedLink(url)) {
        return std::nullopt;
    }
    return url;
}

// What one <item> says, before it is checked.
struct ItemFields
{
    QString title;
    QString version;
    QString shortVersion;
    std::optional<QString> description;
    std::optional<QString> descriptionFormat;
    // The description nests deeper than maximumAppcastDescriptionNesting.
    bool descriptionTooDeep = false;
    std::optional<QUrl> releaseNotesURL;
    std::optional<QUrl> infoURL;
    bool hasEnclosure = false;
    QString enclosureURL;
    QString enclosureLength;
    QString enclosureSignature;
    QString enclosureVersion;
    QString enclosureShortVersion;
};

std::optional<AppcastItem> installableItem(const ItemFields &fields)
{
    const QString version = fields.version.isEmpty() ? fields.enclosureVersion : fields.version;
    if (version.isEmpty() || !fields.hasEnclosure || fields.descriptionTooDeep) {
        return std::nullopt;
    }
    const std::optional<QUrl> fileURL = feedLink(fields.enclosureURL);
    bool lengthIsNumber = false;
    const qint64 length = fields.enclosureLength.toLongLong(&lengthIsNumber);
    const std::optional<QByteArray> signature = decodeStandardBase64(fields.enclosureSignature);
    if (!fileURL || !lengthIsNumber || length <= 0 || length > maximumUpdateArchiveBytes || !signature
        || signature->size() != signatureBytes) {
        return std::nullopt;
    }
    QString display = fields.shortVersion.isEmpty() ? fields.enclosureShortVersion : fields.shortVersion;
    if (display.isEmpty()) {
        display = version;
    }
    AppcastItem item;
    item.title = fields.title;
    item.versionString = version;
    item.displayVersionString = display;
    item.itemDescription = fields.description;
    item.itemDescriptionFormat = fields.descriptionFormat;
    item.releaseNotesURL = fields.releaseNotesURL;
    item.infoURL = fields.infoURL;
    item.fileURL = *fileURL;
    item.contentLength = length;
    item.edSignature = *signature;
    return item;
}

// The text of the element whose start element the reader is on, its child elements' text
// included, up to its end element; nothing when elements nest more than
// maximumAppcastDescriptionNesting deep inside it (the rest is still read through). A loop:
// QXmlStreamReader::readElementText(IncludeChildElements) calls itself for each child
// element, and a feed of a few hundred kilobytes of nested elements exhausts the stack.
std::optional<QString> readDescriptionText(QXmlStreamReader &reader)
{
    QString text;
    int depth = 0;
    bool tooDeep = false;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::Characters:
        case QXmlStreamReader::EntityReference:
            if (!tooDeep) {
                text += reader.text();
            }
            break;
        case QXmlStreamReader::StartElement:
            if (++depth > maximumAppcastDescriptionNesting && !tooDeep) {
                tooDeep = true;
                text.clear();
            }
            break;
        case QXmlStreamReader::EndElement:
            if (depth == 0) {
                return tooDeep ? std::nullopt : std::optional<QString>(text);
            }
            --depth;
            break;
        default:
            break;
        }
    }
    // A broken document: the caller refuses it.
    return std::nullopt;
}

// Reads the item whose start element the reader is on, up to its end element.
ItemFields readItem(QXmlStreamReader &reader)
{
    ItemFields fields;
    while (reader.readNextStartElement()) {
        if (isPlainName(reader, QLatin1String("title"))) {
            fields.title = reader.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        } else if (isPlainName(reader, QLatin1String("link"))) {
            fields.infoURL = feedLink(reader.readElementText(QXmlStreamReader::SkipChildElements));
        } else if (isPlainName(reader, QLatin1String("description"))) {
            const QString format = appcastAttribute(reader.attributes(), QStringLiteral("format"));
            fields.descriptionFormat = format.isEmpty() ? QStringLiteral("html") : format;
            fields.description = readDescriptionText(reader);
            fields.descriptionTooDeep = !fields.description;
        } else if (isPlainName(reader, QLatin1String("enclosure"))) {
            const QXmlStreamAttributes attributes = reader.attributes();
            fields.hasEnclosure = true;
            fields.enclosureURL = attributes.value(QStringLiteral("url")).toString();
            fields.enclosureLength = attributes.value(QStringLiteral("length")).toString().trimmed();
            fields.enclosureSignature = appcastAttribute(attributes, QStringLiteral("edSignature"));
            fields.enclosureVersion = appcastAttribute(attributes, QStringLiteral("version"));
            fields.enclosureShortVersion = appcastAttribute(attributes, QStringLiteral("shortVersionString"));
            reader.skipCurrentElement();
        } else if (isAppcastName(reader, QLatin1String("version"))) {
            fields.version = reader.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        } else if (isAppcastName(reader, QLatin1String("shortVersionString"))) {
            fields.shortVersion = reader.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        } else if (isAppcastName(reader, QLatin1String("releaseNotesLink"))) {
            fields.releaseNotesURL = feedLink(reader.readElementText(QXmlStreamReader::SkipChildElements));
        } else {
            reader.skipCurrentElement();
        }
    }
    return fields;
}

} // namespace

Appcast Appcast::parse(const QByteArray &document)
{
    QXmlStreamReader reader(document);
    Appcast appcast;
    bool sawChannel = false;
    if (reader.readNextStartElement() && isPlainName(reader, QLatin1String("rss"))) {
        while (reader.readNextStartElement()) {
            if (!isPlainName(reader, QLatin1String("channel"))) {
                reader.skipCurrentElement();
                continue;
            }
            sawChannel = true;
            while (reader.readNextStartElement()) {
                if (!isPlainName(reader, QLatin1String("item"))) {
                    reader.skipCurrentElement();
                    continue;
                }
                if (const std::optional<AppcastItem> item = installableItem(readItem(reader))) {
                    appcast.items.append(*item);
                } else {
                    ++appcast.skippedItemCount;
                }
            }
        }
    }
    // Read to the end, so that a document broken after the channel is refused too.
    while (!reader.atEnd() && !reader.hasError()) {
        reader.readNext();
    }
    if (reader.hasError()) {
        throw AppUpdaterError(AppUpdaterError::Kind::invalidFeed, reader.errorString());
    }
    if (!sawChannel) {
        throw AppUpdaterError(AppUpdaterError::Kind::invalidFeed, QStringLiteral("not an RSS document with a channel"));
    }
    return appcast;
}

std::optional<AppcastItem> selectNewestUpdate(const QList<AppcastItem> &items, const QString &currentBuild)
{
    std::optional<AppcastItem> newest;
    for (const AppcastItem &item : items) {
        if (!isBuildNumericallyNewer(item.versionString, currentBuild)) {
            continue;
        }
        if (!newest || isBuildNumericallyNewer(item.versionString, newest->versionString)) {
            newest = item;
        }
    }
    return newest;
}

bool isAllowedFeedLink(const QUrl &url)
{
    if (!url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty()) {
        return false;
    }
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https")) {
        return true;
    }
    const QString host = url.host();
    return scheme == QLatin1String("http")
        && (host == QLatin1String("127.0.0.1") || host == QLatin1String("localhost"));
}

} // namespace veyra
