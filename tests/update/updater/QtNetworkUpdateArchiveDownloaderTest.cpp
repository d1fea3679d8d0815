// Test label: unit
#include "update/updater/QtNetworkUpdateArchiveDownloader.h"
#include "support/ClientTeardown.h"
#include "support/ProcessInput.h"
#include "support/RunTask.h"
#include "support/ServiceStandIn.h"
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
    QString file() const { return m_folder.filePath(QStringLiteral("download")); }

    QByteArray downloaded() const
    {
        QFile downloaded(file());
        return downloaded.open(QIODevice::ReadOnly) ? downloaded.readAll() : QByteArray();
    }

    // The kind of AppUpdaterError a download ends with.
    std::optional<AppUpdaterError::Kind> failure(QCoro::Task<void> download)
    {
        try {
            runTask(std::move(download));
        } catch (const AppUpdaterError &error) {
            return error.kind();
        }
        ADD_FAILURE() << "the download succeeded";
        return std::nullopt;
    }

    ServiceStandIn m_standIn;
    QTemporaryDir m_folder;
    QtNetworkUpdateArchiveDownloader m_downloader;
};

} // namespace

TEST_F(QtNetworkUpdateArchiveDownloaderTest, NeverTakesMoreThanTheAnnouncedLength)
{
    // A server that sends far more than the feed announced, with its length declared or
    // streamed without one: the download stops at the announced length.
    constexpr qint64 announced = 64 * 1024;
    constexpr qint64 sent = qint64(100) * 1024 * 1024;
    for (const bool declared : {true, false}) {
        const ScriptedResponse answer = ScriptedResponse::generated(200, sent);
        m_standIn.enqueueResponse("GET", archivePath, declared ? answer : answer.inChunks());
        qint64 largestProgress = 0;
        const auto progress
            = [&largestProgress](qint64 received, qint64) { largestProgress = std::max(largestProgress, received); };
        const qint64 readBefore = bytesReadByThisProcess();
        EXPECT_EQ(failure(m_downloader.download(m_standIn.url(archivePath), file(), announced, progress, {})),
            AppUpdaterError::Kind::downloadFailed);
        ASSERT_TRUE(waitUntil([this] { return m_standIn.requests().last().answerEnded; }, 60000));
        const qint64 read = bytesReadByThisProcess() - readBefore;
        EXPECT_LE(largestProgress, announced);
        EXPECT_LE(QFileInfo(file()).size(), announced);
        // The announced length, what Qt reads ahead (1 MiB) and what the kernel had
        // buffered by then.
        EXPECT_LT(read, announced + 8 * 1024 * 1024) << (declared ? "declared" : "chunked");
    }
}

TEST_F(QtNetworkUpdateArchiveDownloaderTest, FollowsRedirectsToAnotherHost)
{
    // The release host sends the download on to a CDN of another origin.
    // Both answer every request alike: on a busy machine Qt now and then sends a GET a second
    // time (the same request; a real server answers it the same way).
    ServiceStandIn cdn;
    const QByteArray archive(10000, 'b');
    cdn.setDefaultResponse("GET", archivePath, ScriptedResponse::raw(200, archive, "application/octet-stream"));
    m_standIn.setDefaultResponse("GET", archivePath, ScriptedResponse::redirectTo(cdn.url(archivePath)));
    runTask(m_downloader.download(m_standIn.url(archivePath), file(), archive.size(), {}, {}));
    EXPECT_EQ(downloaded(), archive);
    const qsizetype cdnRequests = cdn.requestCount();
    EXPECT_GE(cdnRequests, 1);

    // A location that downloads may not follow (user information; plain http to other
    // hosts is refused by the same rule) fails the download.
    QUrl withUser = cdn.url(archivePath);
    withUser.setUserName(QStringLiteral("someone"));
    m_standIn.setDefaultResponse("GET", archivePath, ScriptedResponse::redirectTo(withUser));
    EXPECT_EQ(failure(m_downloader.download(m_standIn.url(archivePath), file(), archive.size(), {}, {})),
        AppUpdaterError::Kind::downloadFailed);
    EXPECT_EQ(cdn.requestCount(), cdnRequests);
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
