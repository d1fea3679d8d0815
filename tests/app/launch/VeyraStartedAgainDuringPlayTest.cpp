// Test label: keyring
// Veyra started again while the player plays: the running Veyra (the real executable, live
// mode against the service stand-in, its session in the real Secret Service) translates the
// test game in its overlay; a second start hands over to it and ends. The main window,
// which shows nothing during play, stays off the screen, the game keeps the keyboard and
// the overlay stays above it.
#include "account/coordinator/AuthenticationStackFactory.h"
#include "account/tokens/KeychainRefreshTokenStore.h"
#include "capture/areas/FileCaptureAreaStore.h"
#include "capture/recognition/DefaultDialogueBackgroundPatternAnalyzer.h"
#include "capture/x11/XcbWindowCatalog.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/identity/ApplicationFolder.h"
#include "support/AuthenticationServiceScript.h"
#include "support/GameTitleServiceScript.h"
#include "support/MinimumVersionPolicyScript.h"
#include "support/RunTask.h"
#include "support/ScreenText.h"
#include "support/TestGameWindow.h"
#include "support/TranslationServiceScript.h"
#include "support/UpdateFeedScript.h"
#include "support/VeyraProcess.h"
#include "support/X11Desktop.h"
#include "support/X11Probe.h"
#include "support/XTestPointer.h"
#include "support/XvfbSession.h"

#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;

namespace {

// Generous limits for a loaded machine; every wait ends as soon as its condition holds.
constexpr int startTimeoutMs = 90000;
constexpr int stepTimeoutMs = 30000;
constexpr int readingPauseMs = 100;

class VeyraStartedAgainDuringPlayTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(x11.isRunning()) << x11.errorString().toStdString();
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(desktop.isValid() && pointer.isValid());
        ASSERT_TRUE(reader.isValid()) << "no Tesseract language data for English";
        const QByteArray policy = policyDocument(1, QStringLiteral("1"));
        service.setDefaultResponse("GET", minimumVersionPolicyPath, ScriptedResponse::raw(200, policy));
        service.setDefaultResponse(
            "GET", minimumVersionSignaturePath, ScriptedResponse::raw(200, testSignatureFile(policy), "text/plain"));
        service.setDefaultResponse(
            "GET", updateFeedPath, ScriptedResponse::raw(200, appcastDocument(service, {}), "application/xml"));
        service.setDefaultResponse("POST", refreshPath,
            ScriptedResponse::json(tokenPairAnswer(QStringLiteral("access-1"), QStringLiteral("refresh-1"))));
        service.setDefaultResponse("GET", QStringLiteral("/v1/me"),
            ScriptedResponse::json(QJsonObject{{QStringLiteral("id"), QStringLiteral("player-1")},
                {QStringLiteral("email"), QStringLiteral("player@example.com")},
                {QStringLiteral("display_name"), QStringLiteral("Player One")}}));
        service.setDefaultResponse("POST", gameTitleResolvePath,
            ScriptedResponse::json(gameTitleAnswer(QStringLiteral("Harbour Tales"), QStringLiteral("Harbour Tales"))));
        service.setDefaultResponder("POST", translationsPath, translatingResponder());
    }

    VeyraProcess::Options launchOptions() const
    {
        VeyraProcess::Options options;
        options.homeFolder = home.path();
        options.infoOverrides = QJsonObject{
            {QStringLiteral("TranslationServerBaseURL"), service.url(QStringLiteral("/")).toString()},
            {QStringLiteral("WebAppBaseURL"), service.url(QStringLiteral("/web/")).toString()},
            {QStringLiteral("MinimumVersionPolicyURL"), service.url(minimumVersionPolicyPath).toString()},
            {QStringLiteral("SUPublicEDKey"), QString::fromLatin1(testPolicySigningKey().publicKeyBase64())},
            {QStringLiteral("SUFeedURL"), service.url(updateFeedPath).toString()},
            // Sign-in is configured; a returning player's session is only renewed.
            {QStringLiteral("GoogleAuthenticationEnabled"), true},
            {QStringLiteral("GIDClientID"), QStringLiteral("veyra-e2e.apps.googleusercontent.com")},
            {QStringLiteral("GIDClientSecret"), QStringLiteral("GOCSPX-veyra-e2e")},
            {QStringLiteral("GIDServerClientID"), QStringLiteral("veyra-e2e-server.apps.googleusercontent.com")},
            {QStringLiteral("GoogleReversedClientID"), QStringLiteral("com.googleusercontent.apps.veyra-e2e")},
            {QStringLiteral("CFBundleURLTypes"),
                QJsonArray{QJsonObject{
                    {QStringLiteral("CFBundleURLName"), appBundleIdentifier() + QStringLiteral(".google-sign-in")},
                    {QStringLiteral("CFBundleURLSchemes"),
                        QJsonArray{QStringLiteral("com.googleusercontent.apps.veyra-e2e")}}}}},
            {QStringLiteral("GoogleAuthorizationURL"), service.url(QStringLiteral("/google/authorize")).toString()},
            {QStringLiteral("GoogleTokenURL"), service.url(QStringLiteral("/google/token")).toString()},
        };
        return options;
    }

    static KeychainRefreshTokenStore keyring()
    {
        return KeychainRefreshTokenStore(
            refreshTokenKeychainService(appBundleIdentifier()), refreshTokenKeychainAccount);
    }

    std::optional<CaptureTarget> listedTarget(const TestGameWindow &game)
    {
        XcbWindowCatalog catalog(x11.display());
        for (const CaptureApplicationGroup &group : runTask(catalog.applicationGroups())) {
            for (const CaptureTarget &target : group.windows) {
                if (target.windowID == game.windowID()) {
                    return target;
                }
            }
        }
        return std::nullopt;
    }

    // Clicks the phrase once the window of the title (and process) shows it.
    bool clickText(const QString &title, qint64 processID, const QString &phrase)
    {
        std::optional<QRect> place;
        waitUntil(
            [&] {
                const std::optional<X11ManagedWindow> window = desktop.viewableWindow(title, processID);
                place = window ? findPhrase(reader.read(desktop.screenshot(), window->geometry), phrase) : std::nullopt;
                return place.has_value();
            },
            startTimeoutMs, readingPauseMs);
        if (!place) {
            ADD_FAILURE() << '"' << phrase.toStdString() << "\" does not show in \"" << title.toStdString() << '"';
            return false;
        }
        pointer.clickAt(place->center());
        return true;
    }

    // Returns once the window manager has handled every request the X server had for it
    // before now: it changes the number of workspaces only in turn.
    bool windowManagerCaughtUp()
    {
        X11Probe probe(x11.display());
        const int count = probe.workspaceCount() == 2 ? 3 : 2;
        probe.requestWorkspaceCount(count);
        return waitUntil([&] { return probe.workspaceCount() == count; }, stepTimeoutMs, readingPauseMs);
    }

    XvfbSession x11;
    ServiceStandIn service;
    QTemporaryDir home;
    X11Desktop desktop{x11.display()};
    XTestPointer pointer{x11.display()};
    ScreenTextReader reader;
};

} // namespace

TEST_F(VeyraStartedAgainDuringPlayTest, TheOverlayStaysAboveTheGameAndTheGameKeepsTheKeyboard)
{
    TestGameWindow::Options gameOptions;
    gameOptions.title = QStringLiteral("Harbour Tales");
    gameOptions.position = QPoint(60, 60);
    gameOptions.boxRect = QRect(48, 378, 864, 135);
    gameOptions.text = QStringLiteral("Where did you put the old map?");
    TestGameWindow game(x11, gameOptions);
    ASSERT_TRUE(game.isRunning()) << game.errorString().toStdString();

    // A returning player: signed in before, with the game's capture area drawn before.
    runTask(keyring().save(QStringLiteral("refresh-saved")));
    const std::optional<CaptureTarget> target = listedTarget(game);
    ASSERT_TRUE(target && target->profileKey());
    QImage boxPatch(40, 20, QImage::Format_RGB32);
    boxPatch.fill(gameOptions.boxColor);
    const auto pattern = DefaultDialogueBackgroundPatternAnalyzer().analyze(boxPatch, CaptureRegion{0, 0, 40, 20});
    ASSERT_TRUE(pattern.has_value());
    CaptureAreaProfile profile;
    profile.applicationIdentity = target->profileKey()->applicationIdentity;
    profile.windowTitle = target->profileKey()->windowTitle;
    profile.referenceImageWidth = gameOptions.size.width();
    profile.referenceImageHeight = gameOptions.size.height();
    profile.areas.append(CaptureArea{QStringLiteral("dialogue"), CaptureRegion{20, 350, 920, 180}, pattern->first});
    FileCaptureAreaStore(
        QUrl::fromLocalFile(applicationFolderPath(VeyraProcess::dataFolder(home.path()), isDebugBuild())
            + QStringLiteral("/capture-areas.json")))
        .save(profile);

    // The player picks the game and plays: the overlay shows its line translated.
    VeyraProcess running(x11, launchOptions());
    ASSERT_TRUE(running.isRunning()) << running.errorString().toStdString();
    const QString mainTitle = appDisplayName();
    ASSERT_TRUE(clickText(mainTitle, running.processID(), QStringLiteral("veyra_test_game_window")))
        << running.output().toStdString();
    ASSERT_TRUE(clickText(mainTitle, running.processID(), gameOptions.title));
    ASSERT_TRUE(clickText(mainTitle, running.processID(), QStringLiteral("Play with Veyra")));
    ASSERT_TRUE(waitUntil(
        [&] {
            const std::optional<X11ManagedWindow> overlay = desktop.viewableWindow(overlayWindowTitle());
            return overlay
                && comparableText(screenText(reader.read(desktop.screenshot(), overlay->geometry)))
                       .contains(comparableText(QStringLiteral("old map")));
        },
        startTimeoutMs, readingPauseMs))
        << running.output().toStdString();
    ASSERT_FALSE(desktop.viewableWindow(mainTitle, running.processID()));
    // The player clicks into the game (below its dialogue box, where the overlay is not).
    const QRect gameArea = QRect(*gameOptions.position, gameOptions.size);
    pointer.clickAt(QPoint(gameArea.center().x(), gameArea.top() + 60));
    ASSERT_TRUE(waitUntil([&] { return desktop.activeWindow() == game.windowID(); }, stepTimeoutMs, readingPauseMs));

    // Veyra is started again: it hands over to the running one and ends.
    VeyraProcess again(x11, launchOptions());
    ASSERT_TRUE(again.waitForExit(startTimeoutMs)) << again.output().toStdString();
    EXPECT_EQ(again.exitCode(), 0);
    ASSERT_TRUE(windowManagerCaughtUp());

    // The running Veyra's main window, blank during play, stays off the screen; the game
    // keeps the keyboard; the overlay is on the screen, above the game.
    EXPECT_FALSE(desktop.viewableWindow(mainTitle, running.processID()));
    EXPECT_EQ(desktop.activeWindow(), game.windowID());
    const std::optional<X11ManagedWindow> overlay = desktop.viewableWindow(overlayWindowTitle());
    ASSERT_TRUE(overlay);
    const X11Probe probe(x11.display());
    EXPECT_GT(probe.stackingIndex(overlay->id), probe.stackingIndex(game.windowID()));
    EXPECT_TRUE(running.isRunning());
    EXPECT_TRUE(running.quit()) << running.output().toStdString();
}
