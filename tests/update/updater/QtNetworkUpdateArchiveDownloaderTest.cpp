// Test label: unit
#include "update/updater/QtNetworkUpdateArchiveDownloader.h"
#include "foundation/language/ClientLanguage.h"
#include "support/ClientTeardown.h"
#include "support/HostsServingSession.h"
#include "support/ProcessInput.h"
#include "support/RunTask.h"
#include "support/ScriptedHostResolver.h"
#include "support/ServiceStandIn.h"
#include "support/SmallDisk.h"
#include "update/updater/AppUpdaterError.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

using namespace veyra;
using namespace veyra::test;

namespace {

const QString archivePath = QStringLiteral("/releases/Veyra.AppImage");

class QtNetworkUpdateArchiveDownloaderTest : public ::testing::Test
{
protected:
    // Every answer is scripted once: a request sent twice finds no answer.
    void TearDown() override { expectAllScripted(m_standIn); }

    QString file() const { return m_folder.filePath(QStringLiteral("download")); }

    QByteArray downloaded() const
    {
        QFile downloaded(file());
        return downloaded.open(QIODevice::ReadOnly) ? downloaded.readAll() : QByteArray();
    }

    // The message of the AppUpdaterError::downloadFailed a download ends with.
    QString failure(QCoro::Task<void> download)
    {
        try {
            runTask(std::move(download));
        } catch (const AppUpdaterError &error) {
            EXPECT_EQ(error.kind(), AppUpdaterError::Kind::downloadFailed);
            return error.detail().isEmpty() ? QStringLiteral("(no detail)") : error.detail();
        }
        ADD_FAILURE() << "the download succeeded";
        return {};
    }

    ServiceStandIn m_standIn;
    QTemporaryDir m_folder;
    QtNetworkUpdateArchiveDownloader m_downloader;
};

} // namespace

TEST_F(QtNetworkUpdateArchiveDownloaderTest, NeverTakesMoreThanTheAnnouncedLength)
{
    // A server that sends far more than the feed announced, with its length declared or
    // streamed without one: the download stops at the announced length, and a declared
    // length over it is refused before any of the body is taken.
    constexpr qint64 announced = 4 * 1024 * 1024;
    constexpr qint64 sent = qint64(100) * 1024 * 1024;
    for (const bool declared : {true, false}) {
        const ScriptedResponse answer = ScriptedResponse::generated(200, sent);
        m_standIn.enqueueResponse("GET", archivePath, declared ? answer : answer.inChunks());
        qint64 largestProgress = 0;
        const auto progress
            = [&largestProgress](qint64 received, qint64) { largestProgress = std::max(largestProgress, received); };
        const qint64 readBefore = bytesReadByThisProcess();
        EXPECT_TRUE(failure(m_downloader.download(m_standIn.url(archivePath), file(), announced, progress, {}))
                        .contains(QStringLiteral("larger than the 4194304 bytes")));
        ASSERT_TRUE(waitUntil([this] { return m_standIn.requests().last().answerEnded; }, 60000));
        const qint64 read = bytesReadByThisProcess() - readBefore;
        EXPECT_LE(largestProgress, declared ? 0 : announced);
        EXPECT_LE(QFileInfo(file()).size(), declared ? 0 : announced);
        // The announced length, what Qt reads ahead (1 MiB) and what the kernel had
        // buffered by then.
        EXPECT_LT(read, announced + 8 * 1024 * 1024) << (declared ? "declared" : "chunked");
    }
}

TEST_F(QtNetworkUpdateArchiveDownloaderTest, FollowsRedirectsOverHTTPSButNeverFromElsewhereToThisMachine)
{
    // The release host sends the download on to a CDN of another origin: each request is
    // sent once, and only the CDN's answer is written.
    ServiceStandIn cdn;
    const QByteArray archive(10000, 'b');
    cdn.enqueueResponse("GET", archivePath, ScriptedResponse::raw(200, archive, "application/octet-stream"));
    m_standIn.enqueueResponse("GET", archivePath,
        ScriptedResponse::raw(302, "see the CDN", "text/plain")
            .withHeader("Location", cdn.url(archivePath).toEncoded()));
    runTask(m_downloader.download(m_standIn.url(archivePath), file(), archive.size(), {}, {}));
    EXPECT_EQ(downloaded(), archive);
    EXPECT_EQ(m_standIn.requestCount(), 1);
    EXPECT_EQ(cdn.requestCount(), 1);

    // A location that downloads may not follow (user information; plain http to other
    // hosts is refused by the same rule) fails the download.
    QUrl withUser = cdn.url(archivePath);
    withUser.setUserName(QStringLiteral("someone"));
    m_standIn.enqueueResponse("GET", archivePath, ScriptedResponse::redirectTo(withUser));
    EXPECT_TRUE(failure(m_downloader.download(m_standIn.url(archivePath), file(), archive.size(), {}, {}))
                    .contains(QStringLiteral("redirect")));
    EXPECT_EQ(cdn.requestCount(), 1);
    expectAllScripted(cdn);

    // A release host elsewhere (served here by the stand-in) is followed on itself, but
    // never to this machine, where a service would answer with the archive.
    const QUrl releaseHost(QStringLiteral("https://releases.veyra.example"));
    QtNetworkUpdateArchiveDownloader overInternet(QtNetworkUpdateArchiveDownloader::defaultStallTimeout,
        UpdateDownloadDeadline{}, sessionServingOrigin(releaseHost, m_standIn));
    const QUrl published(QStringLiteral("https://releases.veyra.example/latest"));
    m_standIn.enqueueResponse("GET", QStringLiteral("/latest"), ScriptedResponse::redirectTo(QUrl(archivePath)));
    m_standIn.enqueueResponse("GET", archivePath, ScriptedResponse::raw(200, archive, "application/octet-stream"));
    runTask(overInternet.download(published, file(), archive.size(), {}, {}));
    EXPECT_EQ(downloaded(), archive);

    ServiceStandIn local;
    local.setDefaultResponse("GET", archivePath, ScriptedResponse::raw(200, archive, "application/octet-stream"));
    const QString port = QString::number(local.port());
    for (const char *host : {"localhost", "0x7f.1", "2130706433", "127.1"}) {
        m_standIn.enqueueResponse("GET", QStringLiteral("/latest"),
            ScriptedResponse::redirectTo(
                QUrl(QStringLiteral("http://%1:%2%3").arg(QLatin1String(host), port, archivePath))));
        EXPECT_TRUE(failure(overInternet.download(published, file(), archive.size(), {}, {}))
                        .startsWith(QStringLiteral("the redirect was not followed")))
            << host;
        EXPECT_EQ(downloaded(), QByteArray()) << host;
    }
    EXPECT_EQ(local.requestCount(), 0);

    // Nor to a name that resolves to this machine: the downloader asks its resolver where
    // the name of a target elsewhere leads, and follows one that leads elsewhere. (The
    // session looks up no name itself.)
    auto resolver = std::make_shared<ScriptedHostResolver>();
    resolver->names = {{"cdn.veyra.example", {QHostAddress("203.0.113.9")}},
        {"intranet.veyra.example", {QHostAddress("198.51.100.4"), QHostAddress::LocalHost}}};
    const auto hosts = std::make_shared<HostsServingSession>();
    hosts->serve(releaseHost, m_standIn);
    hosts->serve(QUrl(QStringLiteral("https://cdn.veyra.example")), cdn);
    QtNetworkUpdateArchiveDownloader resolving(
        QtNetworkUpdateArchiveDownloader::defaultStallTimeout, UpdateDownloadDeadline{}, hosts, resolver);
    m_standIn.enqueueResponse("GET", QStringLiteral("/latest"),
        ScriptedResponse::redirectTo(
            QUrl(QStringLiteral("https://intranet.veyra.example:%1%2").arg(port, archivePath))));
    const QString refusal = failure(resolving.download(published, file(), archive.size(), {}, {}));
    EXPECT_TRUE(refusal.startsWith(QStringLiteral("the redirect was not followed"))) << refusal.toStdString();
    EXPECT_TRUE(refusal.contains(QStringLiteral("a name of this machine"))) << refusal.toStdString();
    EXPECT_EQ(local.requestCount(), 0);
    m_standIn.enqueueResponse("GET", QStringLiteral("/latest"),
        ScriptedResponse::redirectTo(QUrl(QStringLiteral("https://cdn.veyra.example") + archivePath)));
    cdn.enqueueResponse("GET", archivePath, ScriptedResponse::raw(200, archive, "application/octet-stream"));
    runTask(resolving.download(published, file(), archive.size(), {}, {}));
    EXPECT_EQ(downloaded(), archive);
    EXPECT_EQ(
        resolver->asked, QStringList({QStringLiteral("intranet.veyra.example"), QStringLiteral("cdn.veyra.example")}));
    expectAllScripted(cdn);
}

TEST_F(QtNetworkUpdateArchiveDownloaderTest, AnnouncedLengthsAndTheWholeDownloadAreBounded)
{
    // A length over the cap is refused before anything is sent.
    EXPECT_TRUE(
        failure(m_downloader.download(m_standIn.url(archivePath), file(), maximumUpdateArchiveBytes + 1, {}, {}))
            .contains(QStringLiteral("announced length")));
    EXPECT_EQ(m_standIn.requestCount(), 0);

    // An archive that trickles in, a byte now and then, never stalls long enough for the
    // stall time-out, but the download still ends at its deadline and gives up the
    // connection.
    const QByteArray archive(200, 't');
    m_standIn.enqueueResponse("GET", archivePath,
        ScriptedResponse::raw(200, archive, "application/octet-stream").trickled(std::chrono::milliseconds(100)));
    QtNetworkUpdateArchiveDownloader hurried(QtNetworkUpdateArchiveDownloader::defaultStallTimeout,
        UpdateDownloadDeadline{std::chrono::milliseconds(500), maximumUpdateArchiveBytes});
    EXPECT_TRUE(failure(hurried.download(m_standIn.url(archivePath), file(), archive.size(), {}, {}))
                    .contains(QStringLiteral("deadline")));
    ASSERT_TRUE(waitUntil([this] { return m_standIn.requests().value(0).answerEnded; }));
    EXPECT_LT(m_standIn.requests().value(0).answerBytesSent, archive.size());

    // A hop on which nothing moves ends at the stall time-out, long before the deadline:
    // here the one after a redirect.
    m_standIn.enqueueResponse(
        "GET", archivePath, ScriptedResponse::redirectTo(m_standIn.url(QStringLiteral("/mirror"))));
    m_standIn.enqueueResponse("GET", QStringLiteral("/mirror"),
        ScriptedResponse::raw(200, archive, "application/octet-stream").heldUntilReleased());
    QtNetworkUpdateArchiveDownloader stalling(std::chrono::milliseconds(300));
    EXPECT_EQ(failure(stalling.download(m_standIn.url(archivePath), file(), archive.size(), {}, {})),
        QStringLiteral("no data arrived for 0.3 seconds"));
    EXPECT_TRUE(waitUntil([this] { return m_standIn.requests().value(2).clientDisconnected; }));

    // The default deadline leaves a slow connection time for a large archive.
    const UpdateDownloadDeadline deadline;
    EXPECT_GE(deadline.forLength(256 * 1024 * 1024), std::chrono::hours(1));
    EXPECT_LE(deadline.forLength(maximumUpdateArchiveBytes), std::chrono::hours(5));
}

TEST_F(QtNetworkUpdateArchiveDownloaderTest, ADestroyedDownloaderEndsItsDownloadQuietly)
{
    const QByteArray archive(1000, 'c');
    m_standIn.enqueueResponse(
        "GET", archivePath, ScriptedResponse::raw(200, archive, "application/octet-stream").heldUntilReleased());
    int progressReports = 0;
    const auto outcome = destroyWhileInFlight(m_standIn, std::make_unique<QtNetworkUpdateArchiveDownloader>(),
        [&](QtNetworkUpdateArchiveDownloader &downloader, const CancellationToken &token) {
            return downloader.download(
                m_standIn.url(archivePath), file(), archive.size(),
                [&progressReports](qint64, qint64) { ++progressReports; }, token);
        });
    EXPECT_TRUE(outcome->failedWith<CancellationError>());
    EXPECT_EQ(progressReports, 0);
}

TEST_F(QtNetworkUpdateArchiveDownloaderTest, TellsADiskThatCannotTakeTheArchiveApartFromTheNetwork)
{
    SmallDisk disk(2048);
    if (!disk.isMounted()) {
        GTEST_SKIP() << disk.errorString().toStdString();
    }
    const QString onDisk = disk.filePath(QStringLiteral("download"));
    const auto notSaved = [&](qint64 length, std::function<void(qint64, qint64)> progress) {
        try {
            runTask(m_downloader.download(m_standIn.url(archivePath), onDisk, length, std::move(progress), {}));
        } catch (const AppUpdaterError &error) {
            EXPECT_EQ(error.kind(), AppUpdaterError::Kind::downloadNotSaved) << error.logDescription().toStdString();
            return error;
        }
        ADD_FAILURE() << "the download succeeded";
        return AppUpdaterError(AppUpdaterError::Kind::downloadFailed);
    };

    // Less free space than the feed announced: nothing is sent.
    ASSERT_TRUE(disk.fill(320 * 1024));
    const AppUpdaterError tooLittle = notSaved(512 * 1024, {});
    EXPECT_EQ(tooLittle.localizedDescription().toStdString(),
        QStringLiteral("Veyra couldn't save the update in “%1”. (The update needs 0.5 MB, but only 0.3 MB are free.)")
            .arg(disk.path())
            .toStdString());
    EXPECT_EQ(m_standIn.requestCount(), 0);
    // In the interface language, the reason too.
    setCurrentClientLanguage(ClientLanguage::japanese);
    EXPECT_EQ(tooLittle.localizedDescription().toStdString(),
        QStringLiteral("Veyraはアップデートを「%1」に保存できませんでした。 "
                       "(アップデートには 0.5 MB が必要ですが、空き容量は 0.3 MB しかありません。)")
            .arg(disk.path())
            .toStdString());
    setCurrentClientLanguage(ClientLanguage::english);

    // Space enough when it starts, taken by another program while the archive arrives (in
    // more than one piece: Qt reads at most 1 MiB ahead) but for a page, so that a write
    // takes part of a chunk without an error: the disk's own reason all the same.
    disk.empty();
    const qint64 length = 1536 * 1024;
    m_standIn.enqueueResponse("GET", archivePath, ScriptedResponse::generated(200, length));
    bool filled = false;
    const AppUpdaterError full = notSaved(length, [&](qint64, qint64) {
        if (!filled) {
            filled = disk.fill(4096);
        }
    });
    EXPECT_TRUE(filled);
    EXPECT_EQ(full.localizedDescription().toStdString(),
        QStringLiteral("Veyra couldn't save the update in “%1”. (No space left on device)")
            .arg(disk.path())
            .toStdString());
    EXPECT_EQ(full.logDescription().toStdString(),
        QStringLiteral("downloadNotSaved (%1: No space left on device)").arg(onDisk).toStdString());

    // The disk fills up at the last write: after the first piece, all but the last page of
    // the archive fit, so the last write (the stand-in's last 8 KiB) takes part of its piece.
    // Not an archive that arrived whole (whose signature would then fail), but the disk's
    // reason, in the interface language.
    disk.empty();
    constexpr qint64 page = 4096;
    const qint64 fits = 24 * 64 * 1024 + page;
    m_standIn.enqueueResponse("GET", archivePath, ScriptedResponse::generated(200, fits + page));
    bool filledToTheLastPage = false;
    const AppUpdaterError lastWrite = notSaved(fits + page, [&](qint64 received, qint64) {
        if (!filledToTheLastPage) {
            filledToTheLastPage = disk.fill(fits - (received + page - 1) / page * page);
        }
    });
    EXPECT_TRUE(filledToTheLastPage);
    EXPECT_EQ(QFileInfo(onDisk).size(), fits);
    setCurrentClientLanguage(ClientLanguage::japanese);
    EXPECT_EQ(lastWrite.localizedDescription().toStdString(),
        QStringLiteral("Veyraはアップデートを「%1」に保存できませんでした。 (ディスクに空き容量がありません)")
            .arg(disk.path())
            .toStdString());
    setCurrentClientLanguage(ClientLanguage::english);
}

TEST_F(QtNetworkUpdateArchiveDownloaderTest, AnArchiveThatCannotBeFlushedToDiskIsNotSaved)
{
    // A file that takes every byte but cannot be flushed to a disk (the device that
    // discards what it is given): the download fails as not saved, with the system's reason,
    // rather than as an archive that arrived whole.
    const QByteArray archive(10000, 'f');
    m_standIn.enqueueResponse("GET", archivePath, ScriptedResponse::raw(200, archive, "application/octet-stream"));
    try {
        runTask(m_downloader.download(m_standIn.url(archivePath), QStringLiteral("/dev/null"), archive.size(), {}, {}));
        ADD_FAILURE() << "the download succeeded";
    } catch (const AppUpdaterError &error) {
        EXPECT_EQ(error.kind(), AppUpdaterError::Kind::downloadNotSaved);
        EXPECT_EQ(error.localizedDescription(),
            QStringLiteral("Veyra couldn't save the update in “/dev”. (%1)").arg(qt_error_string(EINVAL)));
    }
}
