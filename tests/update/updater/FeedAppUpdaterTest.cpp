// Test label: unit
#include "update/updater/FeedAppUpdater.h"
#include "foundation/async/AsyncTask.h"
#include "support/GatedSleeper.h"
#include "support/RunTask.h"
#include "support/ServiceStandIn.h"
#include "support/SmallDisk.h"
#include "support/UpdateFeedScript.h"
#include "translation/http/QtNetworkHTTPTransport.h"
#include "update/configuration/AppUpdateConfiguration.h"
#include "update/updater/AppImageUpdateInstaller.h"
#include "update/updater/AppUpdateUserDriving.h"
#include "update/updater/AppUpdaterError.h"
#include "update/updater/DownloadPageUpdateInstaller.h"
#include "update/updater/QtNetworkUpdateArchiveDownloader.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSemaphore>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/file.h>

using namespace veyra;
using namespace veyra::test;
using Kind = AppUpdaterError::Kind;

namespace {

// Records what the updater shows and answers as the test tells it.
class RecordingUserDriver : public AppUpdateUserDriving
{
public:
    // The answer to an offered update; none holds it until the test calls reply().
    std::optional<UserUpdateChoice> choice = UserUpdateChoice::install;

    QStringList calls;
    QList<AppcastItem> offered;
    QList<UserUpdateState> states;
    QList<UpdateDownloadData> releaseNotes;
    QList<Kind> errors;
    QStringList errorTexts;
    std::function<void(UserUpdateChoice)> pendingReply;
    std::function<void()> downloadCancellation;
    qint64 lastReceived = 0;

    void showUserInitiatedUpdateCheck(std::function<void()>) override { calls << QStringLiteral("checking"); }
    void showUpdateFound(
        const AppcastItem &item, UserUpdateState state, std::function<void(UserUpdateChoice)> reply) override
    {
        calls << QStringLiteral("found");
        offered << item;
        states << state;
        if (choice) {
            reply(*choice);
        } else {
            pendingReply = std::move(reply);
        }
    }
    void showUpdateReleaseNotes(const UpdateDownloadData &data) override
    {
        calls << QStringLiteral("notes");
        releaseNotes << data;
    }
    void showUpdateReleaseNotesFailedToDownload(const AppUpdaterError &error) override
    {
        calls << QStringLiteral("notes failed");
        errors << error.kind();
    }
    void showUpdateNotFound(std::function<void()> acknowledgement) override
    {
        calls << QStringLiteral("not found");
        acknowledgement();
    }
    void showUpdaterError(const AppUpdaterError &error, std::function<void()> acknowledgement) override
    {
        calls << QStringLiteral("error");
        errors << error.kind();
        errorTexts << error.localizedDescription();
        acknowledgement();
    }
    void showDownloadInitiated(std::function<void()> cancellation) override
    {
        calls << QStringLiteral("download");
        downloadCancellation = std::move(cancellation);
    }
    void showDownloadProgress(qint64 received, qint64) override { lastReceived = received; }
    void showInstallingUpdate() override { calls << QStringLiteral("installing"); }
    void showUpdateInFocus() override { calls << QStringLiteral("focus"); }
    void dismissUpdateInstallation() override { calls << QStringLiteral("dismiss"); }
};

class RecordingDelegate : public AppUpdaterDelegate
{
public:
    QStringList events;
    QList<std::optional<Kind>> finishErrors;

    static QString name(UpdateCheck check)
    {
        return check == UpdateCheck::userInitiated ? QStringLiteral("user") : QStringLiteral("background");
    }

    void didFindValidUpdate(const AppcastItem &item, UpdateCheck check) override
    {
        events << QStringLiteral("found %1 %2").arg(item.versionString, name(check));
    }
    void didNotFindUpdate(UpdateCheck check) override { events << QStringLiteral("not found %1").arg(name(check)); }
    void didFinishUpdateCycle(UpdateCheck check, const AppUpdaterError *error) override
    {
        events << QStringLiteral("finished %1").arg(name(check));
        finishErrors << (error ? std::optional<Kind>(error->kind()) : std::nullopt);
    }
    int finishedCount() const { return static_cast<int>(finishErrors.size()); }
};

const QByteArray runningAppImage = QByteArray("#!/bin/sh\necho Veyra 1.0.0\n");

class FeedAppUpdaterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        m_appImagePath = m_folder.filePath(QStringLiteral("Veyra.AppImage"));
        QFile file(m_appImagePath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(runningAppImage);
        file.close();
        QFile::setPermissions(m_appImagePath,
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                | QFile::ReadOther | QFile::ExeOther);
    }

    // An updater over the stand-in's feed; installing replaces the AppImage unless
    // `asAppImage` is false.
    std::unique_ptr<FeedAppUpdater> makeUpdater(bool asAppImage = true)
    {
        const AppUpdateConfiguration configuration
            = AppUpdateConfiguration::fromInfoDictionary(updateInfoDictionary(m_standIn));
        FeedAppUpdater::Dependencies dependencies;
        dependencies.transport = std::make_shared<QtNetworkHTTPTransport>();
        if (asAppImage) {
            m_installer = std::make_shared<AppImageUpdateInstaller>(m_appImagePath, testPolicySigningKey().publicKey,
                std::make_shared<QtNetworkUpdateArchiveDownloader>(), [this](const QString &path) {
                    m_relaunched << path;
                    m_eventsAtRelaunch = m_delegate.events;
                });
            dependencies.installer = m_installer;
        } else {
            dependencies.installer
                = std::make_shared<DownloadPageUpdateInstaller>([this](const QUrl &url) { m_openedPages << url; });
        }
        dependencies.sleeper = m_sleeper;
        auto updater = std::make_unique<FeedAppUpdater>(configuration,
            AppVersionInfo{QStringLiteral("1.0.0"), QStringLiteral("100")}, m_driver, m_delegate,
            std::move(dependencies));
        updater->start();
        return updater;
    }

    // Runs one user-initiated cycle to its end.
    void checkAndWait(FeedAppUpdater &updater)
    {
        const int finished = m_delegate.finishedCount();
        updater.checkForUpdates();
        ASSERT_TRUE(waitUntil([&] { return m_delegate.finishedCount() > finished; }, 20000));
        // Nothing more arrives for the cycle.
        QCoreApplication::processEvents();
    }

    QByteArray appImageContents() const
    {
        QFile file(m_appImagePath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Files in the AppImage's folder other than the AppImage.
    QStringList leftovers() const
    {
        QStringList names = QDir(m_folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
        names.removeAll(QStringLiteral("Veyra.AppImage"));
        return names;
    }

    int archiveRequests(const FeedRelease &release) const
    {
        return static_cast<int>(m_standIn.requests("GET", release.archivePath()).size());
    }

    ServiceStandIn m_standIn;
    QTemporaryDir m_folder;
    QString m_appImagePath;
    std::shared_ptr<AppImageUpdateInstaller> m_installer;
    std::shared_ptr<GatedSleeper> m_sleeper = std::make_shared<GatedSleeper>();
    RecordingUserDriver m_driver;
    RecordingDelegate m_delegate;
    QStringList m_relaunched;
    QStringList m_eventsAtRelaunch;
    QList<QUrl> m_openedPages;
};

TEST_F(FeedAppUpdaterTest, InstallsTheNewestSignedReleaseInPlaceOfTheAppImageAndRestartsLast)
{
    const FeedRelease older = feedRelease(QStringLiteral("110"), QStringLiteral("1.1.0"));
    const FeedRelease newest = feedRelease(QStringLiteral("120"), QStringLiteral("1.2.0"));
    const FeedRelease running = feedRelease(QStringLiteral("100"), QStringLiteral("1.0.0"));
    publishReleases(m_standIn, {older, newest, running});
    const auto updater = makeUpdater();
    EXPECT_TRUE(updater->canCheckForUpdates());

    updater->checkForUpdates();
    EXPECT_FALSE(updater->canCheckForUpdates());
    ASSERT_TRUE(waitUntil([&] { return m_delegate.finishedCount() == 1; }, 20000));

    EXPECT_EQ(m_delegate.events, (QStringList{QStringLiteral("found 120 user"), QStringLiteral("finished user")}));
    EXPECT_EQ(m_delegate.finishErrors.value(0), std::nullopt);
    ASSERT_EQ(m_driver.offered.size(), 1);
    EXPECT_EQ(m_driver.offered[0].displayVersionString, QStringLiteral("1.2.0"));
    EXPECT_TRUE(m_driver.states[0].userInitiated);
    EXPECT_EQ(m_driver.calls,
        (QStringList{QStringLiteral("checking"), QStringLiteral("found"), QStringLiteral("download"),
            QStringLiteral("installing"), QStringLiteral("dismiss")}));
    EXPECT_EQ(m_driver.lastReceived, newest.archive.size());

    // Only the chosen archive was fetched, and it now is the AppImage, executable as before.
    EXPECT_EQ(archiveRequests(older), 0);
    EXPECT_EQ(archiveRequests(newest), 1);
    EXPECT_EQ(appImageContents(), newest.archive);
    EXPECT_TRUE(QFileInfo(m_appImagePath).isExecutable());
    EXPECT_TRUE(QFile::permissions(m_appImagePath).testFlag(QFile::ExeOther));
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(QLatin1Char(' ')).toStdString();
    // The restart comes once, after the cycle was reported finished.
    EXPECT_EQ(m_relaunched, QStringList{QFileInfo(m_appImagePath).canonicalFilePath()});
    EXPECT_EQ(m_eventsAtRelaunch, m_delegate.events);
    EXPECT_TRUE(updater->canCheckForUpdates());
}

TEST_F(FeedAppUpdaterTest, NeverTouchesTheAppImageWithAnArchiveThatIsNotAuthentic)
{
    FeedRelease forged = feedRelease(QStringLiteral("120"), QStringLiteral("1.2.0"));
    forged.signature = testPolicySigningKey().sign(QByteArray("something else"));
    publishReleases(m_standIn, {forged});
    const auto updater = makeUpdater();
    checkAndWait(*updater);
    EXPECT_EQ(m_delegate.finishErrors, (QList<std::optional<Kind>>{Kind::invalidSignature}));
    EXPECT_EQ(m_driver.errors, QList<Kind>{Kind::invalidSignature});
    EXPECT_EQ(archiveRequests(forged), 1);

    // Signed with another key.
    FeedRelease foreign = feedRelease(QStringLiteral("121"), QStringLiteral("1.2.1"));
    foreign.signature = PolicySigningKey::fromSeed(QByteArray(32, '\x07')).sign(foreign.archive);
    // Longer than announced: refused while it arrives.
    FeedRelease longer = feedRelease(QStringLiteral("122"), QStringLiteral("1.2.2"));
    longer.announcedLength = longer.archive.size() - 1;
    // Shorter than announced.
    FeedRelease shorter = feedRelease(QStringLiteral("123"), QStringLiteral("1.2.3"));
    shorter.announcedLength = shorter.archive.size() + 1;
    // Signed, but no application: the signed policy, an ELF file without the AppImage magic.
    FeedRelease policy = feedRelease(QStringLiteral("125"), QStringLiteral("1.2.5"));
    policy.archive = policyDocument(1, QStringLiteral("125"), QStringLiteral("1.2.5"));
    FeedRelease plainElf = feedRelease(QStringLiteral("126"), QStringLiteral("1.2.6"));
    plainElf.archive[8] = '\0';
    const QList<std::pair<FeedRelease, Kind>> cases{{foreign, Kind::invalidSignature}, {longer, Kind::downloadFailed},
        {shorter, Kind::downloadFailed}, {policy, Kind::installFailed}, {plainElf, Kind::installFailed}};
    for (const auto &[release, kind] : cases) {
        publishReleases(m_standIn, {release});
        checkAndWait(*updater);
        EXPECT_EQ(m_delegate.finishErrors.last(), kind) << release.build.toStdString();
    }
    // The archive that went missing on the server.
    FeedRelease missing = feedRelease(QStringLiteral("124"), QStringLiteral("1.2.4"));
    publishReleases(m_standIn, {missing});
    m_standIn.setDefaultResponse("GET", missing.archivePath(), ScriptedResponse::raw(404, "gone", "text/plain"));
    checkAndWait(*updater);
    EXPECT_EQ(m_delegate.finishErrors.last(), Kind::downloadFailed);

    EXPECT_EQ(m_delegate.finishedCount(), 7);
    EXPECT_EQ(appImageContents(), runningAppImage);
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(m_relaunched.isEmpty());
}

TEST_F(FeedAppUpdaterTest, TellsADiskWithoutRoomForTheUpdateAsTheDisksFault)
{
    // The AppImage lies on a disk with less free space than the archive needs: nothing is
    // downloaded, and the user learns why.
    SmallDisk disk(256);
    if (!disk.isMounted()) {
        GTEST_SKIP() << disk.errorString().toStdString();
    }
    m_appImagePath = disk.filePath(QStringLiteral("Veyra.AppImage"));
    QFile file(m_appImagePath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(runningAppImage) == runningAppImage.size());
    file.close();
    FeedRelease release = feedRelease(QStringLiteral("120"), QStringLiteral("1.2.0"));
    release.archive = appImageBytes(QByteArray(300 * 1024, 'x'));
    publishReleases(m_standIn, {release});
    const auto updater = makeUpdater();
    checkAndWait(*updater);
    EXPECT_EQ(m_delegate.finishErrors, (QList<std::optional<Kind>>{Kind::downloadNotSaved}));
    EXPECT_EQ(m_driver.errorTexts,
        QStringList{QStringLiteral(
            "Veyra couldn't save the update in “%1”. (The update needs 0.3 MB, but only 0.2 MB are free.)")
                        .arg(disk.path())});
    // A folder where the download cannot even be made.
    ASSERT_TRUE(disk.setReadOnly(true));
    checkAndWait(*updater);
    EXPECT_EQ(m_delegate.finishErrors.value(1), Kind::downloadNotSaved);
    EXPECT_EQ(m_driver.errorTexts.value(1).toStdString(),
        QStringLiteral("Veyra couldn't save the update in “%1”. (Read-only file system)")
            .arg(disk.path())
            .toStdString());
    ASSERT_TRUE(disk.setReadOnly(false));

    EXPECT_EQ(archiveRequests(release), 0);
    EXPECT_EQ(appImageContents(), runningAppImage);
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Veyra.AppImage")});
}

TEST_F(FeedAppUpdaterTest, ReportsNothingNewerAndFailedFeedsOncePerCycle)
{
    publishReleases(m_standIn,
        {feedRelease(QStringLiteral("100"), QStringLiteral("1.0.0")),
            feedRelease(QStringLiteral("99"), QStringLiteral("0.9.9"))});
    const auto updater = makeUpdater();
    checkAndWait(*updater);
    EXPECT_EQ(m_delegate.events, (QStringList{QStringLiteral("not found user"), QStringLiteral("finished user")}));
    EXPECT_EQ(m_driver.calls,
        (QStringList{QStringLiteral("checking"), QStringLiteral("not found"), QStringLiteral("dismiss")}));

    m_standIn.setDefaultResponse("GET", updateFeedPath, ScriptedResponse::raw(500, "down", "text/plain"));
    checkAndWait(*updater);
    m_standIn.setDefaultResponse("GET", updateFeedPath, ScriptedResponse::raw(200, "<rss><channel>", "text/xml"));
    checkAndWait(*updater);
    m_standIn.setDefaultResponse("GET", updateFeedPath, ScriptedResponse::raw(200, "{\"items\": []}"));
    checkAndWait(*updater);
    EXPECT_EQ(m_driver.errors, (QList<Kind>{Kind::feedUnavailable, Kind::invalidFeed, Kind::invalidFeed}));
    EXPECT_EQ(m_delegate.finishErrors,
        (QList<std::optional<Kind>>{std::nullopt, Kind::feedUnavailable, Kind::invalidFeed, Kind::invalidFeed}));
    // No found or not-found report for a cycle that failed.
    EXPECT_EQ(m_delegate.events.filter(QStringLiteral("found")).size(), 1);
}

TEST_F(FeedAppUpdaterTest, ReadsTheFeedOnAWorkerWhileTheWindowGoesOnAnswering)
{
    publishReleases(m_standIn, {feedRelease(QStringLiteral("120"), QStringLiteral("1.2.0"))});
    m_driver.choice = UserUpdateChoice::dismiss;
    const auto updater = makeUpdater(false);
    // Every worker is busy: the feed that arrived waits for one, and the event loop turns
    // meanwhile without it.
    const int threads = cpuWorkPool().maxThreadCount();
    const auto started = std::make_shared<QSemaphore>();
    const auto held = std::make_shared<QSemaphore>();
    const auto release = qScopeGuard([&] { held->release(threads); });
    for (int thread = 0; thread < threads; ++thread) {
        startOnWorker(cpuWorkPool(), [started, held] {
            started->release();
            held->acquire();
        });
    }
    started->acquire(threads);
    updater->checkForUpdates();
    ASSERT_TRUE(waitUntil([&] { return m_standIn.requests("GET", updateFeedPath).size() == 1; }));
    EXPECT_FALSE(waitUntil([&] { return !m_delegate.events.isEmpty(); }, 1000));
    held->release(threads);
    ASSERT_TRUE(waitUntil([&] { return m_delegate.finishedCount() == 1; }, 20000));
    EXPECT_EQ(m_delegate.events, (QStringList{QStringLiteral("found 120 user"), QStringLiteral("finished user")}));
}

TEST_F(FeedAppUpdaterTest, OutsideAnAppImageOpensTheDownloadPageAndFails)
{
    FeedRelease release = feedRelease(QStringLiteral("120"), QStringLiteral("1.2.0"));
    release.link = QStringLiteral("https://veyra.example/download");
    publishReleases(m_standIn, {release});
    const auto updater = makeUpdater(false);
    checkAndWait(*updater);
    EXPECT_EQ(m_openedPages, QList<QUrl>{QUrl(QStringLiteral("https://veyra.example/download"))});
    EXPECT_EQ(m_delegate.finishErrors, (QList<std::optional<Kind>>{Kind::installUnsupported}));
    EXPECT_EQ(m_driver.errors, QList<Kind>{Kind::installUnsupported});
    EXPECT_EQ(archiveRequests(release), 0);

    // Without a page of its own, the archive's address is the page.
    release.link.reset();
    publishReleases(m_standIn, {release});
    checkAndWait(*updater);
    EXPECT_EQ(m_openedPages.value(1), m_standIn.url(release.archivePath()));
}

TEST_F(FeedAppUpdaterTest, BackgroundChecksShowNothingAndGiveWayToTheUser)
{
    const FeedRelease release = feedRelease(QStringLiteral("120"), QStringLiteral("1.2.0"));
    publishReleases(m_standIn, {release});
    m_driver.choice = UserUpdateChoice::dismiss;
    const auto updater = makeUpdater();

    // The first background check runs right after the start.
    ASSERT_TRUE(waitUntil([&] { return m_sleeper->sleepingCount() == 1; }));
    EXPECT_LE(m_sleeper->calls().value(0).deadline, m_sleeper->calls().value(0).startedAt);
    m_sleeper->releaseOne();
    ASSERT_TRUE(waitUntil([&] { return m_delegate.finishedCount() == 1; }, 20000));
    EXPECT_EQ(m_delegate.events,
        (QStringList{QStringLiteral("found 120 background"), QStringLiteral("finished background")}));
    EXPECT_FALSE(m_driver.states.value(0).userInitiated);
    EXPECT_FALSE(m_driver.calls.contains(QStringLiteral("checking")));
    // The next one a day later.
    ASSERT_TRUE(waitUntil([&] { return m_sleeper->sleepingCount() == 1; }));
    const auto interval = m_sleeper->calls().value(1).deadline - m_sleeper->calls().value(1).startedAt;
    EXPECT_GT(interval, std::chrono::hours(24) - std::chrono::seconds(1));
    EXPECT_LE(interval, std::chrono::hours(24));

    // A failed background check shows no error.
    m_standIn.setDefaultResponse("GET", updateFeedPath, ScriptedResponse::raw(503, "busy", "text/plain"));
    m_sleeper->releaseOne();
    ASSERT_TRUE(waitUntil([&] { return m_delegate.finishedCount() == 2; }, 20000));
    EXPECT_EQ(m_delegate.finishErrors.value(1), Kind::feedUnavailable);
    EXPECT_TRUE(m_driver.errors.isEmpty());

    // The user's check while a background check waits for the feed: the background cycle
    // ends first, then the user's runs.
    publishReleases(m_standIn, {release});
    m_standIn.enqueueResponse("GET", updateFeedPath,
        ScriptedResponse::raw(200, appcastDocument(m_standIn, {release}), "application/rss+xml").heldUntilReleased());
    ASSERT_TRUE(waitUntil([&] { return m_sleeper->sleepingCount() == 1; }));
    m_sleeper->releaseOne();
    ASSERT_TRUE(waitUntil([&] { return m_standIn.pendingResponseCount() == 1; }));
    EXPECT_TRUE(updater->canCheckForUpdates());
    updater->checkForUpdates();
    EXPECT_FALSE(updater->canCheckForUpdates());
    ASSERT_TRUE(waitUntil([&] { return m_delegate.finishedCount() == 4; }, 20000));
    m_standIn.releaseHeldResponses();
    EXPECT_EQ(m_delegate.events.mid(3),
        (QStringList{
            QStringLiteral("finished background"), QStringLiteral("found 120 user"), QStringLiteral("finished user")}));
    EXPECT_EQ(m_delegate.finishErrors.value(2), std::nullopt);
    EXPECT_TRUE(m_driver.states.last().userInitiated);
}

TEST_F(FeedAppUpdaterTest, HandsTheLinkedReleaseNotesOverWhileTheOfferIsOpen)
{
    FeedRelease release = feedRelease(QStringLiteral("120"), QStringLiteral("1.2.0"));
    release.releaseNotesPath = QStringLiteral("/releases/notes-1.2.0.md");
    publishReleases(m_standIn, {release});
    m_standIn.setDefaultResponse("GET", *release.releaseNotesPath,
        ScriptedResponse::raw(200, QStringLiteral("# Neu\n- Größer").toLatin1(), "text/markdown; charset=ISO-8859-1"));
    m_driver.choice.reset();
    const auto updater = makeUpdater();
    updater->checkForUpdates();
    ASSERT_TRUE(waitUntil([&] { return !m_driver.releaseNotes.isEmpty(); }));
    const UpdateDownloadData notes = m_driver.releaseNotes.first();
    EXPECT_EQ(notes.data, QStringLiteral("# Neu\n- Größer").toLatin1());
    EXPECT_EQ(notes.mimeType, QStringLiteral("text/markdown"));
    EXPECT_EQ(notes.textEncodingName, QStringLiteral("ISO-8859-1"));
    EXPECT_EQ(m_delegate.finishedCount(), 0);

    // Notes that fail to arrive are reported as unavailable.
    m_driver.pendingReply(UserUpdateChoice::dismiss);
    ASSERT_TRUE(waitUntil([&] { return m_delegate.finishedCount() == 1; }));
    m_standIn.setDefaultResponse("GET", *release.releaseNotesPath, ScriptedResponse::raw(404, "", "text/plain"));
    updater->checkForUpdates();
    ASSERT_TRUE(waitUntil([&] { return m_driver.calls.contains(QStringLiteral("notes failed")); }));
    EXPECT_EQ(m_driver.errors, QList<Kind>{Kind::releaseNotesUnavailable});

    // Cancelling the download ends the cycle without a failure and without a restart.
    m_standIn.setDefaultResponse("GET", release.archivePath(),
        ScriptedResponse::raw(200, release.archive, "application/octet-stream").heldUntilReleased());
    m_driver.pendingReply(UserUpdateChoice::install);
    ASSERT_TRUE(waitUntil([&] { return m_standIn.pendingResponseCount() == 1; }));
    ASSERT_TRUE(m_driver.downloadCancellation);
    m_driver.downloadCancellation();
    ASSERT_TRUE(waitUntil([&] { return m_delegate.finishedCount() == 2; }));
    m_standIn.releaseHeldResponses();
    EXPECT_EQ(m_delegate.finishErrors.value(1), std::nullopt);
    EXPECT_EQ(appImageContents(), runningAppImage);
    EXPECT_TRUE(leftovers().isEmpty());
    EXPECT_TRUE(m_relaunched.isEmpty());
}

TEST_F(FeedAppUpdaterTest, FollowsTheFeedAndTheArchiveToAnotherHost)
{
    // The feed comes from a CDN of another origin, which sends the archive's download on
    // to yet another place.
    ServiceStandIn cdn;
    const FeedRelease release = feedRelease(QStringLiteral("120"), QStringLiteral("1.2.0"));
    publishReleases(cdn, {release});
    m_standIn.setDefaultResponse("GET", updateFeedPath, ScriptedResponse::redirectTo(cdn.url(updateFeedPath)));
    cdn.setDefaultResponse(
        "GET", release.archivePath(), ScriptedResponse::redirectTo(m_standIn.url(release.archivePath())));
    m_standIn.setDefaultResponse(
        "GET", release.archivePath(), ScriptedResponse::raw(200, release.archive, "application/octet-stream"));
    const auto updater = makeUpdater();
    checkAndWait(*updater);
    EXPECT_EQ(m_delegate.finishErrors, (QList<std::optional<Kind>>{std::nullopt}));
    EXPECT_EQ(appImageContents(), release.archive);
}

TEST_F(FeedAppUpdaterTest, ADestroyedUpdaterReportsNothingMore)
{
    const FeedRelease release = feedRelease(QStringLiteral("120"), QStringLiteral("1.2.0"));
    publishReleases(m_standIn, {release});
    m_standIn.setDefaultResponse("GET", release.archivePath(),
        ScriptedResponse::raw(200, release.archive, "application/octet-stream").heldUntilReleased());
    auto updater = makeUpdater();
    updater->checkForUpdates();
    ASSERT_TRUE(waitUntil([&] { return m_standIn.pendingResponseCount() == 1; }));
    const QStringList calls = m_driver.calls;
    updater.reset();
    m_standIn.releaseHeldResponses();
    ASSERT_TRUE(waitUntil([&] { return leftovers().isEmpty(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(m_driver.calls, calls);
    EXPECT_EQ(m_delegate.finishedCount(), 0);
    EXPECT_EQ(appImageContents(), runningAppImage);
}

TEST_F(FeedAppUpdaterTest, ClearsTheDownloadsOfInterruptedInstallationsAtTheStartAndBeforeInstalling)
{
    const QDir folder(m_folder.path());
    const auto write = [&folder](const QString &name) {
        QFile file(folder.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.write("partial") == 7;
    };
    const auto entries = [&folder] {
        return folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    };
    // Only files named like the downloads beside this AppImage.
    QStringList kept{QStringLiteral(".Veyra.AppImage.update-AbCdEf.part"), QStringLiteral(".Veyra.AppImage.update-AbC"),
        QStringLiteral(".Other.AppImage.update-AbCdEf"), QStringLiteral("Veyra.AppImage.update-AbCdEf"),
        QStringLiteral("notes.txt")};
    for (const QString &name : kept) {
        ASSERT_TRUE(write(name));
    }
    kept << QStringLiteral(".Veyra.AppImage.update-Folder") << QStringLiteral(".Veyra.AppImage.update-LinkTo")
         << QStringLiteral("Veyra.AppImage");
    ASSERT_TRUE(folder.mkdir(kept[5]));
    ASSERT_TRUE(QFile::link(folder.filePath(QStringLiteral("notes.txt")), folder.filePath(kept[6])));
    ASSERT_TRUE(write(QStringLiteral(".Veyra.AppImage.update-AbCdEf")));
    ASSERT_TRUE(write(QStringLiteral(".Veyra.AppImage.update-x1Y2z3")));
    // The download of an installation running elsewhere holds its lock.
    const QString locked = QStringLiteral(".Veyra.AppImage.update-Locked");
    ASSERT_TRUE(write(locked));
    QFile lockedFile(folder.filePath(locked));
    ASSERT_TRUE(lockedFile.open(QIODevice::ReadOnly));
    ASSERT_EQ(::flock(lockedFile.handle(), LOCK_EX | LOCK_NB), 0);

    // At the start.
    const FeedRelease release = feedRelease(QStringLiteral("120"), QStringLiteral("1.2.0"));
    publishReleases(m_standIn, {release});
    m_standIn.setDefaultResponse("GET", release.archivePath(),
        ScriptedResponse::raw(200, release.archive, "application/octet-stream").heldUntilReleased());
    const auto updater = makeUpdater();
    ASSERT_TRUE(waitUntil([&] { return !entries().contains(QStringLiteral(".Veyra.AppImage.update-x1Y2z3")); }, 60000));
    runTask(m_installer->removeLeftovers());
    QStringList expected = kept;
    expected << locked;
    expected.sort();
    EXPECT_EQ(entries(), expected);

    // Not the download of this process's installation in progress.
    updater->checkForUpdates();
    ASSERT_TRUE(waitUntil([&] { return m_standIn.pendingResponseCount() == 1; }));
    QStringList inProgress = entries();
    for (const QString &name : expected) {
        inProgress.removeOne(name);
    }
    ASSERT_EQ(inProgress.size(), 1);
    ASSERT_TRUE(write(QStringLiteral(".Veyra.AppImage.update-Again1")));
    runTask(m_installer->removeLeftovers());
    EXPECT_EQ(entries().filter(QStringLiteral(".update-Again1")), QStringList{});
    EXPECT_EQ(entries().filter(inProgress[0]), inProgress);
    m_standIn.releaseHeldResponses();
    ASSERT_TRUE(waitUntil([&] { return m_delegate.finishedCount() == 1; }, 20000));
    EXPECT_EQ(m_delegate.finishErrors.value(0), std::nullopt);
    EXPECT_EQ(appImageContents(), release.archive);

    // Before the next installation: what is no longer locked goes too.
    lockedFile.close();
    ASSERT_TRUE(write(QStringLiteral(".Veyra.AppImage.update-Later1")));
    const FeedRelease next = feedRelease(QStringLiteral("130"), QStringLiteral("1.3.0"));
    publishReleases(m_standIn, {next});
    checkAndWait(*updater);
    EXPECT_EQ(m_delegate.finishErrors.value(1), std::nullopt);
    EXPECT_EQ(appImageContents(), next.archive);
    kept.sort();
    EXPECT_EQ(entries(), kept);
}

TEST_F(FeedAppUpdaterTest, DoesNotStartWithoutARunningBuildOrAUsableKey)
{
    FeedAppUpdater::Dependencies dependencies;
    dependencies.transport = std::make_shared<QtNetworkHTTPTransport>();
    dependencies.sleeper = m_sleeper;
    const AppUpdateConfiguration configuration
        = AppUpdateConfiguration::fromInfoDictionary(updateInfoDictionary(m_standIn));
    FeedAppUpdater withoutBuild(configuration, std::nullopt, m_driver, m_delegate, dependencies);
    EXPECT_THROW(withoutBuild.start(), AppUpdaterError);
    EXPECT_FALSE(withoutBuild.canCheckForUpdates());
    withoutBuild.checkForUpdates();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_standIn.requestCount(), 0);
    EXPECT_TRUE(m_driver.calls.isEmpty());
}

} // namespace
