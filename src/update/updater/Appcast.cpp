#include "update/updater/Appcast.h"

#include "update/configuration/StandardBase64.h"
#include "update/updater/AppUpdaterError.h"
#include "update/updater/UpdateArchiveDownloading.h"
#include "update/version/BuildComparison.h"

#include "foundation/async/AsyncTask.h"
#include "update/updater/FeedMarkupBounds.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <atomic>
#include <memory>

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

// Qt's reader, asked every so often whether to stop: every loop below reads through next(),
// none through Qt's own loops (readElementText, skipCurrentElement).
class FeedReader
{
public:
    FeedReader(const QString &text, const std::function<bool()> &stopRequested)
        : m_reader(text)
        , m_stopRequested(stopRequested)
    { }

    QXmlStreamReader &reader() { return m_reader; }

    QXmlStreamReader::TokenType next()
    {
        if (++m_tokens % stopCheckInterval == 0 && m_stopRequested && m_stopRequested()) {
            throw CancellationError();
        }
        return m_reader.readNext();
    }

    // The next start element among the children of the current element; false at its end
    // (or at an error).
    bool nextStartElement()
    {
        while (!m_reader.atEnd()) {
            switch (next()) {
            case QXmlStreamReader::StartElement:
                return true;
            case QXmlStreamReader::EndElement:
            case QXmlStreamReader::EndDocument:
            case QXmlStreamReader::Invalid:
                return false;
            default:
                break;
            }
        }
        return false;
    }

    // The text of the element whose start element the reader is on, up to its end element,
    // with its child elements' text when elements nest at most `maximumNesting` deep inside
    // it; nothing when they nest deeper (the rest is still read through) or the document
    // breaks. With `maximumNesting` 0, the text directly inside it (child elements skipped).
    // A loop: QXmlStreamReader::readElementText(IncludeChildElements) calls itself for each
    // child element, and a feed of a few hundred kilobytes of nested elements exhausts the
    // stack.
    std::optional<QString> elementText(int maximumNesting)
    {
        QString text;
        int depth = 0;
        bool tooDeep = false;
        while (!m_reader.atEnd()) {
            switch (next()) {
            case QXmlStreamReader::Characters:
            case QXmlStreamReader::EntityReference:
                if (!tooDeep && (depth == 0 || maximumNesting > 0)) {
                    text += m_reader.text();
                }
                break;
            case QXmlStreamReader::StartElement:
                if (++depth > maximumNesting && maximumNesting > 0 && !tooDeep) {
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
        return std::nullopt;
    }

    // Reads through the element whose start element the reader is on, to its end element.
    void skipElement()
    {
        int depth = 0;
        while (!m_reader.atEnd()) {
            switch (next()) {
            case QXmlStreamReader::StartElement:
                ++depth;
                break;
            case QXmlStreamReader::EndElement:
                if (depth-- == 0) {
                    return;
                }
                break;
            default:
                break;
            }
        }
    }

private:
    // How many tokens are read between two questions whether to stop.
    static constexpr int stopCheckInterval = 64;

    QXmlStreamReader m_reader;
    const std::function<bool()> &m_stopRequested;
    qint64 m_tokens = 0;
};

// The text of an element without its child elements, trimmed.
QString plainText(FeedReader &feed)
{
    return feed.elementText(0).value_or(QString()).trimmed();
}

// Reads the item whose start element the reader is on, up to its end element.
ItemFields readItem(FeedReader &feed)
{
    QXmlStreamReader &reader = feed.reader();
    ItemFields fields;
    while (feed.nextStartElement()) {
        if (isPlainName(reader, QLatin1String("title"))) {
            fields.title = plainText(feed);
        } else if (isPlainName(reader, QLatin1String("link"))) {
            fields.infoURL = feedLink(plainText(feed));
        } else if (isPlainName(reader, QLatin1String("description"))) {
            const QString format = appcastAttribute(reader.attributes(), QStringLiteral("format"));
            fields.descriptionFormat = format.isEmpty() ? QStringLiteral("html") : format;
            fields.description = feed.elementText(maximumAppcastDescriptionNesting);
            // Notes nested too deep make the item invalid, whatever other descriptions it has.
            fields.descriptionTooDeep = fields.descriptionTooDeep || !fields.description;
        } else if (isPlainName(reader, QLatin1String("enclosure"))) {
            const QXmlStreamAttributes attributes = reader.attributes();
            fields.hasEnclosure = true;
            fields.enclosureURL = attributes.value(QStringLiteral("url")).toString();
            fields.enclosureLength = attributes.value(QStringLiteral("length")).toString().trimmed();
            fields.enclosureSignature = appcastAttribute(attributes, QStringLiteral("edSignature"));
            fields.enclosureVersion = appcastAttribute(attributes, QStringLiteral("version"));
            fields.enclosureShortVersion = appcastAttribute(attributes, QStringLiteral("shortVersionString"));
            feed.skipElement();
        } else if (isAppcastName(reader, QLatin1String("version"))) {
            fields.version = plainText(feed);
        } else if (isAppcastName(reader, QLatin1String("shortVersionString"))) {
            fields.shortVersion = plainText(feed);
        } else if (isAppcastName(reader, QLatin1String("releaseNotesLink"))) {
            fields.releaseNotesURL = feedLink(plainText(feed));
        } else {
            feed.skipElement();
        }
    }
    return fields;
}

// The feed's text as Qt's reader decodes its bytes: in the encoding its first bytes show
// (a byte order mark, or UTF-16 or UTF-32 by how its first '<' is written), else UTF-8,
// unless its XML declaration names another.
QString decodedFeed(const QByteArray &document)
{
    QStringDecoder shown(QStringDecoder::encodingForData(document, u'<').value_or(QStringConverter::Utf8));
    QString text = shown(document);
    if (!text.startsWith(QLatin1String("<?xml")) || text.size() < 6 || !isXmlSpace(text[5])) {
        return text;
    }
    static const QRegularExpression encodingAttribute(QStringLiteral("\\sencoding\\s*=\\s*(\"|')([^\"']*)\\1"));
    const qsizetype declarationEnd = text.indexOf(QLatin1String("?>"));
    const QRegularExpressionMatch declared
        = encodingAttribute.match(QStringView(text).first(declarationEnd < 0 ? text.size() : declarationEnd));
    if (!declared.hasMatch()) {
        return text;
    }
    const QByteArray name = declared.captured(2).toLatin1();
    QStringDecoder decoder(name.constData());
    if (!decoder.isValid()) {
        throw AppUpdaterError(AppUpdaterError::Kind::invalidFeed,
            QStringLiteral("the encoding %1 is unsupported").arg(declared.captured(2)));
    }
    return decoder(document);
}

} // namespace

Appcast Appcast::parse(const QByteArray &document, const std::function<bool()> &stopRequested)
{
    // Qt's reader is given the very text the scan read.
    const QString text = decodedFeed(document);
    if (const std::optional<QString> refused = refusedFeedMarkup(text)) {
        throw AppUpdaterError(AppUpdaterError::Kind::invalidFeed, *refused);
    }
    FeedReader feed(text, stopRequested);
    QXmlStreamReader &reader = feed.reader();
    Appcast appcast;
    bool sawChannel = false;
    if (feed.nextStartElement() && isPlainName(reader, QLatin1String("rss"))) {
        while (feed.nextStartElement()) {
            if (!isPlainName(reader, QLatin1String("channel"))) {
                feed.skipElement();
                continue;
            }
            sawChannel = true;
            while (feed.nextStartElement()) {
                if (!isPlainName(reader, QLatin1String("item"))) {
                    feed.skipElement();
                    continue;
                }
                if (const std::optional<AppcastItem> item = installableItem(readItem(feed))) {
                    appcast.items.append(*item);
                } else {
                    ++appcast.skippedItemCount;
                }
            }
        }
    }
    // Read to the end, so that a document broken after the channel is refused too.
    while (!reader.atEnd() && !reader.hasError()) {
        feed.next();
    }
    if (reader.hasError()) {
        throw AppUpdaterError(AppUpdaterError::Kind::invalidFeed, reader.errorString());
    }
    if (!sawChannel) {
        throw AppUpdaterError(AppUpdaterError::Kind::invalidFeed, QStringLiteral("not an RSS document with a channel"));
    }
    return appcast;
}

QCoro::Task<Appcast> Appcast::read(QByteArray document, CancellationToken token)
{
    token.throwIfCancelled();
    // The worker is told through a flag of its own: the token belongs to this thread.
    const auto stop = std::make_shared<std::atomic<bool>>(false);
    const CancellationToken::Registration registration = token.onCancel([stop] { stop->store(true); });
    auto reading = [document = std::move(document), stop] {
        return parse(document, [stop] { return stop->load() || workerPoolsHaveEnded(); });
    };
    Appcast appcast = co_await runOnWorker(cpuWorkPool(), std::move(reading));
    token.throwIfCancelled();
    co_return appcast;
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
