#pragma once

#include "foundation/identity/AppIdentity.h"
#include "support/MinimumVersionPolicyScript.h"
#include "support/ServiceStandIn.h"

#include <QList>
#include <QString>

#include <optional>

namespace veyra::test {

// Where the stand-in publishes the update feed.
inline const QString updateFeedPath = QStringLiteral("/releases/appcast.xml");

// One release as the feed lists it, with the archive the stand-in serves for it.
struct FeedRelease
{
    QString build;
    QString displayVersion;
    QByteArray archive;
    // The archive's signature (of `archive` under the test key unless set) and the length
    // the feed announces (the archive's unless set).
    std::optional<QByteArray> signature;
    std::optional<qint64> announcedLength;
    std::optional<QString> description;
    std::optional<QString> descriptionFormat;
    std::optional<QString> releaseNotesPath;
    std::optional<QString> link;

    QString archivePath() const { return QStringLiteral("/releases/Veyra-%1.AppImage").arg(build); }
};

// A file that begins like a type-2 AppImage (a 64-bit ELF identification carrying the
// AppImage magic, the rest of an ELF header), then `payload`.
inline QByteArray appImageBytes(const QByteArray &payload)
{
    QByteArray bytes("\x7f"
                     "ELF\x02\x01\x01\x00"
                     "AI\x02",
        11);
    bytes.append(QByteArray(64 - bytes.size(), '\0'));
    return bytes + payload;
}

inline FeedRelease feedRelease(const QString &build, const QString &displayVersion)
{
    FeedRelease release;
    release.build = build;
    release.displayVersion = displayVersion;
    release.archive = appImageBytes(QByteArray("Veyra ") + displayVersion.toUtf8() + QByteArray(4096, 'x'));
    return release;
}

inline QString xmlEscaped(const QString &text)
{
    return text.toHtmlEscaped();
}

// The feed document listing the releases in the given order.
inline QByteArray appcastDocument(const ServiceStandIn &standIn, const QList<FeedRelease> &releases)
{
    QString xml
        = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                         "<rss version=\"2.0\" xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">\n"
                         "<channel>\n<title>Veyra</title>\n");
    for (const FeedRelease &release : releases) {
        const QByteArray signature = release.signature.value_or(testPolicySigningKey().sign(release.archive));
        xml += QStringLiteral("<item>\n<title>Veyra %1</title>\n").arg(xmlEscaped(release.displayVersion));
        if (release.link) {
            xml += QStringLiteral("<link>%1</link>\n").arg(xmlEscaped(*release.link));
        }
        xml += QStringLiteral("<sparkle:version>%1</sparkle:version>\n").arg(xmlEscaped(release.build));
        xml += QStringLiteral("<sparkle:shortVersionString>%1</sparkle:shortVersionString>\n")
                   .arg(xmlEscaped(release.displayVersion));
        if (release.releaseNotesPath) {
            xml += QStringLiteral("<sparkle:releaseNotesLink>%1</sparkle:releaseNotesLink>\n")
                       .arg(xmlEscaped(standIn.url(*release.releaseNotesPath).toString()));
        }
        if (release.description) {
            const QString format = release.descriptionFormat
                ? QStringLiteral(" sparkle:format=\"%1\"").arg(xmlEscaped(*release.descriptionFormat))
                : QString();
            xml += QStringLiteral("<description%1><![CDATA[%2]]></description>\n").arg(format, *release.description);
        }
        xml += QStringLiteral("<enclosure url=\"%1\" length=\"%2\" type=\"application/octet-stream\" "
                              "sparkle:edSignature=\"%3\"/>\n</item>\n")
                   .arg(xmlEscaped(standIn.url(release.archivePath()).toString()))
                   .arg(release.announcedLength.value_or(release.archive.size()))
                   .arg(QString::fromLatin1(signature.toBase64()));
    }
    xml += QStringLiteral("</channel>\n</rss>\n");
    return xml.toUtf8();
}

// Serves the feed of the releases and each release's archive from now on.
inline void publishReleases(ServiceStandIn &standIn, const QList<FeedRelease> &releases)
{
    standIn.setDefaultResponse(
        "GET", updateFeedPath, ScriptedResponse::raw(200, appcastDocument(standIn, releases), "application/rss+xml"));
    for (const FeedRelease &release : releases) {
        standIn.setDefaultResponse(
            "GET", release.archivePath(), ScriptedResponse::raw(200, release.archive, "application/octet-stream"));
    }
}

// A bundle whose feed the stand-in publishes under the test key, running 1.0.0 (build 100).
inline InfoDictionary updateInfoDictionary(const ServiceStandIn &standIn)
{
    return {
        {QStringLiteral("CFBundleShortVersionString"), QStringLiteral("1.0.0")},
        {QStringLiteral("CFBundleVersion"), QStringLiteral("100")},
        {QStringLiteral("SUFeedURL"), standIn.url(updateFeedPath).toString()},
        {QStringLiteral("SUPublicEDKey"), QString::fromLatin1(testPolicySigningKey().publicKeyBase64())},
        {QStringLiteral("MinimumVersionPolicyURL"), standIn.url(minimumVersionPolicyPath).toString()},
    };
}

} // namespace veyra::test
