// Test label: unit
#include "update/updater/Appcast.h"
#include "update/updater/AppUpdaterError.h"
#include "update/updater/FeedMarkupBounds.h"
#include "update/updater/UpdateArchiveDownloading.h"

#include <QStringEncoder>

#include <gtest/gtest.h>

using namespace veyra;

namespace {

const QByteArray signature = QByteArray(64, '\x11').toBase64();

QByteArray feed(const QString &items)
{
    return QStringLiteral("<?xml version=\"1.0\"?>\n"
                          "<rss version=\"2.0\" xmlns:sp=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">"
                          "<channel><title>Veyra</title>%1</channel></rss>")
        .arg(items)
        .toUtf8();
}

QString item(const QString &build, const QString &extra = QString(), const QString &enclosureExtra = QString())
{
    return QStringLiteral("<item><sp:version>%1</sp:version>%2"
                          "<enclosure url=\"https://veyra.example/Veyra-%1.AppImage\" length=\"10\" "
                          "sp:edSignature=\"%3\" %4/></item>")
        .arg(build, extra, QString::fromLatin1(signature), enclosureExtra);
}

QStringList builds(const Appcast &appcast)
{
    QStringList result;
    for (const AppcastItem &entry : appcast.items) {
        result << entry.versionString;
    }
    return result;
}

TEST(AppcastTest, ReadsTheItemsOfTheFeed)
{
    const Appcast appcast = Appcast::parse(
        feed(QStringLiteral("<item><title>Veyra 1.2</title><link>https://veyra.example/1.2</link>"
                            "<sp:version>120</sp:version><sp:shortVersionString>1.2</sp:shortVersionString>"
                            "<sp:releaseNotesLink>https://veyra.example/notes.html</sp:releaseNotesLink>"
                            "<description><![CDATA[<b>Faster</b>]]></description>"
                            "<enclosure url=\"https://cdn.veyra.example/Veyra.AppImage?token=1\" length=\"123456\" "
                            "sp:edSignature=\"%1\" type=\"application/octet-stream\"/></item>")
                 .arg(QString::fromLatin1(signature))
            // Version and short version as attributes of the enclosure, Markdown notes.
            + QStringLiteral("<item><description sp:format=\"markdown\">*new*</description>"
                             "<enclosure url=\"https://veyra.example/b.AppImage\" length=\"7\" sp:version=\"121\" "
                             "sp:shortVersionString=\"1.2.1\" sp:edSignature=\"%1\"/></item>")
                  .arg(QString::fromLatin1(signature))
            // No short version: the build is shown.
            + item(QStringLiteral("122"))));

    ASSERT_EQ(appcast.items.size(), 3);
    EXPECT_EQ(appcast.skippedItemCount, 0);
    const AppcastItem &first = appcast.items[0];
    EXPECT_EQ(first.title, QStringLiteral("Veyra 1.2"));
    EXPECT_EQ(first.versionString, QStringLiteral("120"));
    EXPECT_EQ(first.displayVersionString, QStringLiteral("1.2"));
    EXPECT_EQ(first.infoURL, QUrl(QStringLiteral("https://veyra.example/1.2")));
    EXPECT_EQ(first.releaseNotesURL, QUrl(QStringLiteral("https://veyra.example/notes.html")));
    EXPECT_EQ(first.itemDescription, QStringLiteral("<b>Faster</b>"));
    EXPECT_EQ(first.itemDescriptionFormat, QStringLiteral("html"));
    EXPECT_EQ(first.fileURL, QUrl(QStringLiteral("https://cdn.veyra.example/Veyra.AppImage?token=1")));
    EXPECT_EQ(first.contentLength, 123456);
    EXPECT_EQ(first.edSignature, QByteArray(64, '\x11'));

    EXPECT_EQ(appcast.items[1].versionString, QStringLiteral("121"));
    EXPECT_EQ(appcast.items[1].displayVersionString, QStringLiteral("1.2.1"));
    EXPECT_EQ(appcast.items[1].itemDescriptionFormat, QStringLiteral("markdown"));
    EXPECT_EQ(appcast.items[2].displayVersionString, QStringLiteral("122"));
    EXPECT_EQ(appcast.items[2].itemDescription, std::nullopt);
    EXPECT_EQ(appcast.items[2].releaseNotesURL, std::nullopt);
}

TEST(AppcastTest, LeavesOutItemsThatCannotBeInstalled)
{
    const QString shortSignature = QString::fromLatin1(QByteArray(63, '\x11').toBase64());
    const Appcast appcast = Appcast::parse(feed(item(QStringLiteral("130"))
        // No build.
        + QStringLiteral("<item><enclosure url=\"https://veyra.example/x\" length=\"1\" sp:edSignature=\"%1\"/></item>")
              .arg(QString::fromLatin1(signature))
        // No enclosure.
        + QStringLiteral("<item><sp:version>131</sp:version></item>")
        // A plain http archive on a public host, and user information.
        + QStringLiteral("<item><sp:version>132</sp:version><enclosure url=\"http://veyra.example/x\" length=\"1\" "
                         "sp:edSignature=\"%1\"/></item>")
              .arg(QString::fromLatin1(signature))
        + QStringLiteral("<item><sp:version>133</sp:version><enclosure url=\"https://me@veyra.example/x\" "
                         "length=\"1\" sp:edSignature=\"%1\"/></item>")
              .arg(QString::fromLatin1(signature))
        // Lengths that are not positive whole numbers.
        + QStringLiteral("<item><sp:version>134</sp:version><enclosure url=\"https://veyra.example/x\" length=\"0\" "
                         "sp:edSignature=\"%1\"/></item>")
              .arg(QString::fromLatin1(signature))
        + QStringLiteral("<item><sp:version>135</sp:version><enclosure url=\"https://veyra.example/x\" "
                         "length=\"12kB\" sp:edSignature=\"%1\"/></item>")
              .arg(QString::fromLatin1(signature))
        // A length over the cap: a feed must not make the updater fill the disk.
        + QStringLiteral("<item><sp:version>139</sp:version><enclosure url=\"https://veyra.example/x\" "
                         "length=\"%2\" sp:edSignature=\"%1\"/></item>")
              .arg(QString::fromLatin1(signature))
              .arg(maximumUpdateArchiveBytes + 1)
        // At the cap: kept.
        + QStringLiteral("<item><sp:version>141</sp:version><enclosure url=\"https://veyra.example/x\" "
                         "length=\"%2\" sp:edSignature=\"%1\"/></item>")
              .arg(QString::fromLatin1(signature))
              .arg(maximumUpdateArchiveBytes)
        // A signature of 63 bytes, and none.
        + QStringLiteral("<item><sp:version>136</sp:version><enclosure url=\"https://veyra.example/x\" length=\"1\" "
                         "sp:edSignature=\"%1\"/></item>")
              .arg(shortSignature)
        + QStringLiteral("<item><sp:version>137</sp:version><enclosure url=\"https://veyra.example/x\" "
                         "length=\"1\"/></item>")
        // http on the loopback host is fine (tests and local mirrors).
        + QStringLiteral("<item><sp:version>138</sp:version><enclosure url=\"http://127.0.0.1:8080/x\" length=\"1\" "
                         "sp:edSignature=\"%1\"/></item>")
              .arg(QString::fromLatin1(signature))));
    EXPECT_EQ(builds(appcast), (QStringList{QStringLiteral("130"), QStringLiteral("141"), QStringLiteral("138")}));
    EXPECT_EQ(appcast.skippedItemCount, 9);

    // A release-notes or page link that is not allowed is dropped, the item kept.
    const Appcast links = Appcast::parse(feed(item(QStringLiteral("140"),
        QStringLiteral(
            "<link>javascript:alert(1)</link><sp:releaseNotesLink>file:///etc/passwd</sp:releaseNotesLink>"))));
    ASSERT_EQ(links.items.size(), 1);
    EXPECT_EQ(links.items[0].infoURL, std::nullopt);
    EXPECT_EQ(links.items[0].releaseNotesURL, std::nullopt);
}

TEST(AppcastTest, ReadsDeeplyNestedMarkupWithoutRunningOutOfStack)
{
    // Markup nested far deeper than any release notes, in the notes of an item and in
    // places that are skipped: the feed is read in a loop, without recursion.
    const auto nested = [](int depth, const QString &text = QStringLiteral("deep")) {
        return QStringLiteral("<p>").repeated(depth) + text + QStringLiteral("</p>").repeated(depth);
    };
    const QString wrappedDescription = QStringLiteral("<description>%1</description>");
    const Appcast appcast = Appcast::parse(feed(item(QStringLiteral("120"), wrappedDescription.arg(nested(100000)))
        + item(QStringLiteral("121"),
            wrappedDescription.arg(nested(maximumAppcastDescriptionNesting, QStringLiteral("kept"))))
        + item(QStringLiteral("122"), wrappedDescription.arg(nested(maximumAppcastDescriptionNesting + 1)))
        + item(QStringLiteral("123"), QStringLiteral("<title>%1</title><sp:extra>%1</sp:extra>").arg(nested(100000)))
        + QStringLiteral("<image>%1</image>").arg(nested(100000))));
    // Notes nested deeper than the bound make the item invalid; up to it their text is read.
    EXPECT_EQ(builds(appcast), (QStringList{QStringLiteral("121"), QStringLiteral("123")}));
    EXPECT_EQ(appcast.skippedItemCount, 2);
    EXPECT_EQ(appcast.items.value(0).itemDescription, QStringLiteral("kept"));
    EXPECT_EQ(appcast.items.value(1).title, QString());

    // A second description does not make notes nested too deep fit.
    const Appcast twice = Appcast::parse(feed(item(QStringLiteral("125"),
        wrappedDescription.arg(nested(100000)) + QStringLiteral("<description>ok</description>"))));
    EXPECT_TRUE(twice.items.isEmpty());
    EXPECT_EQ(twice.skippedItemCount, 1);

    // Text among elements is read as it stands, as before.
    const Appcast mixed = Appcast::parse(feed(item(QStringLiteral("124"),
        QStringLiteral("<description>New: <b>faster <i>capture</i></b>&amp; fewer <!-- x -->crashes</description>"))));
    ASSERT_EQ(mixed.items.size(), 1);
    EXPECT_EQ(mixed.items[0].itemDescription, QStringLiteral("New: faster capture& fewer crashes"));
}

TEST(AppcastTest, RefusesDocumentsThatAreNotAFeed)
{
    for (const QByteArray &document : {QByteArray(), QByteArray("{\"version\": 2}"), QByteArray("<rss><channel>"),
             QByteArray("<feed><entry/></feed>"), QByteArray("<rss version=\"2.0\"></rss>"),
             feed(item(QStringLiteral("1"))) + "<trailing/>"}) {
        try {
            Appcast::parse(document);
            ADD_FAILURE() << "accepted: " << document.toStdString();
        } catch (const AppUpdaterError &error) {
            EXPECT_EQ(error.kind(), AppUpdaterError::Kind::invalidFeed);
        }
    }
    // An empty channel is a feed without releases.
    EXPECT_TRUE(Appcast::parse(feed(QString())).items.isEmpty());
}

TEST(AppcastTest, RefusesMarkupThatNoFeedNeedsBeforeQtsReaderMeetsIt)
{
    // Qt's reader takes time growing with the square of an element's attributes and of the
    // namespace declarations in scope: an element with hundreds of them, nested elements
    // that each declare one, and declarations of a document type refuse the whole feed.
    QString attributes;
    for (int index = 0; index < 10000; ++index) {
        attributes += QStringLiteral(" a%1=\"v\"").arg(index);
    }
    QString declarations;
    QString nested;
    for (int index = 0; index < 1000; ++index) {
        declarations += QStringLiteral(" xmlns:p%1=\"urn:%1\"").arg(index);
        nested = QStringLiteral("<p%1:e xmlns:p%1=\"urn:%1\">%2</p%1:e>").arg(index).arg(nested);
    }
    const QByteArray withEntity
        = feed(item(QStringLiteral("&v;"))).replace("?>\n", "?>\n<!DOCTYPE rss [<!ENTITY v \"130\">]>\n");
    for (const QByteArray &document : {feed(item(QStringLiteral("130"), {}, attributes)),
             feed(QStringLiteral("<image%1/>").arg(declarations) + item(QStringLiteral("130"))),
             feed(QStringLiteral("<image>%1</image>").arg(nested) + item(QStringLiteral("130"))), withEntity}) {
        try {
            Appcast::parse(document);
            ADD_FAILURE() << "accepted: " << document.first(200).toStdString();
        } catch (const AppUpdaterError &error) {
            EXPECT_EQ(error.kind(), AppUpdaterError::Kind::invalidFeed);
        }
    }

    // Up to the bounds, and in other encodings, a feed is read as before.
    attributes.clear();
    declarations.clear();
    for (int index = 0; index < maximumFeedAttributesPerElement - 4; ++index) {
        attributes += QStringLiteral(" a%1=\"v\"").arg(index);
    }
    // With the feed's own and an image's, as many as may be in scope.
    for (int index = 0; index < maximumFeedNamespaceDeclarationsInScope - 2; ++index) {
        declarations += QStringLiteral(" xmlns:q%1=\"urn:%1\"").arg(index);
    }
    const QString title = QStringLiteral("<title>Größer</title>");
    // Each of many elements may declare a namespace of its own.
    const QString siblings = QStringLiteral("<image xmlns:i=\"urn:i\"><i:url/></image>").repeated(100);
    const QByteArray atBounds = feed(siblings + item(QStringLiteral("131"), title, attributes))
                                    .replace("<channel>", QStringLiteral("<channel%1>").arg(declarations).toUtf8());
    QByteArray latin1 = QString::fromUtf8(atBounds).toLatin1();
    latin1.replace("<?xml version=\"1.0\"?>", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>");
    QStringEncoder toUtf16(QStringConverter::Utf16BE, QStringConverter::Flag::WriteBom);
    const QByteArray utf16 = toUtf16(QString::fromUtf8(atBounds));
    for (const QByteArray &document : {atBounds, latin1, utf16}) {
        const Appcast appcast = Appcast::parse(document);
        ASSERT_EQ(appcast.items.size(), 1);
        EXPECT_EQ(appcast.items[0].title, QStringLiteral("Größer"));
    }
}

TEST(AppcastTest, StopsReadingWhenAsked)
{
    // Asked every so often while Qt's reader reads, also a long stretch of nested markup.
    const QByteArray document = feed(item(QStringLiteral("120"),
        QStringLiteral("<description>%1</description>").arg(QStringLiteral("<p>x</p>").repeated(100000))));
    int asks = 0;
    EXPECT_EQ(Appcast::parse(document, [&asks] { return ++asks < 0; }).items.size(), 1);
    EXPECT_GT(asks, 100);
    for (const int stopAt : {1, asks}) {
        int asked = 0;
        EXPECT_THROW(Appcast::parse(document, [&asked, stopAt] { return ++asked == stopAt; }), CancellationError);
        EXPECT_EQ(asked, stopAt);
    }
}

TEST(AppcastTest, SelectsTheNewestBuildNewerThanTheRunningOne)
{
    const Appcast appcast
        = Appcast::parse(feed(item(QStringLiteral("9")) + item(QStringLiteral("10")) + item(QStringLiteral("1.10"))
            + item(QStringLiteral("1.9")) + item(QStringLiteral("10"), QStringLiteral("<title>second</title>"))));
    // Runs of digits compare by value: 10 is newer than 9.
    EXPECT_EQ(selectNewestUpdate(appcast.items, QStringLiteral("8"))->versionString, QStringLiteral("10"));
    // The first of equal builds.
    EXPECT_EQ(selectNewestUpdate(appcast.items, QStringLiteral("8"))->title, QString());
    EXPECT_EQ(selectNewestUpdate(appcast.items, QStringLiteral("10")), std::nullopt);
    EXPECT_EQ(selectNewestUpdate(appcast.items, QStringLiteral("11")), std::nullopt);

    const Appcast dotted = Appcast::parse(feed(item(QStringLiteral("1.9")) + item(QStringLiteral("1.10"))));
    EXPECT_EQ(selectNewestUpdate(dotted.items, QStringLiteral("1.8"))->versionString, QStringLiteral("1.10"));
    EXPECT_EQ(selectNewestUpdate(dotted.items, QStringLiteral("1.9"))->versionString, QStringLiteral("1.10"));
}

} // namespace
