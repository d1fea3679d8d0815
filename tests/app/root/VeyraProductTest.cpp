// Test label: keyring
// The product as a player meets it: the real veyra executable of this build on a private X
// server with openbox, against the service stand-in, Google's stand-in and the test game,
// with the refresh token in the real Secret Service. The test only does what a player does
// (pointer and keys through XTEST on the real windows, found by their identities, which X
// shows as their window roles) and only
// believes what it reads off the screen (screenshots of the root window read by Tesseract),
// besides what the servers received.
#include "account/coordinator/AuthenticationStackFactory.h"
#include "account/tokens/KeychainRefreshTokenStore.h"
#include "app/root/ApplicationScenes.h"
#include "capture/areas/FileCaptureAreaStore.h"
#include "capture/recognition/DefaultDialogueBackgroundPatternAnalyzer.h"
#include "capture/x11/XcbWindowCatalog.h"
#include "editor/views/CaptureAreaEditorView.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/identity/ApplicationFolder.h"
#include "support/AuthenticationServiceScript.h"
#include "support/ColourArea.h"
#include "support/GameTitleServiceScript.h"
#include "support/GoogleAuthorizationServer.h"
#include "support/MinimumVersionPolicyScript.h"
#include "support/RunTask.h"
#include "support/ScreenText.h"
#include "support/StandInInfo.h"
#include "support/TestGameWindow.h"
#include "support/TestPaths.h"
#include "support/TranslationServiceScript.h"
#include "support/UpdateFeedScript.h"
#include "support/VeyraProcess.h"
#include "support/X11Desktop.h"
#include "support/X11Probe.h"
#include "support/XTestKeyboard.h"
#include "support/XTestPointer.h"
#include "support/XvfbSession.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <utility>

using namespace veyra;
using namespace veyra::test;

namespace {

// Generous limits for a loaded machine; every wait ends as soon as its condition holds.
// The application's windows by their identities: their object names, which X shows as
// their window roles. Titles are no identity: the editor and its guide share one.
const QString mainWindow = QString::fromLatin1(ApplicationScenes::mainWindowIdentifier);
const QString overlayWindow = QStringLiteral("overlay");
const QString editorWindow = QString::fromLatin1(ApplicationScenes::captureAreaEditorWindowIdentifier);
const QString guideWindow = QString::fromLatin1(CaptureAreaEditorView::guideWindowIdentifier);

constexpr int startTimeoutMs = 60000;
constexpr int stepTimeoutMs = 30000;
constexpr int translationTimeoutMs = 60000;

const QString clientID = QStringLiteral("veyra-e2e.apps.googleusercontent.com");
const QString clientSecret = QStringLiteral("GOCSPX-veyra-e2e");
const QString reversedClientID = QStringLiteral("com.googleusercontent.apps.veyra-e2e");
const QString profileID = QStringLiteral("0b6f1a52-2c1e-4f7d-9a53-6c1d2e3f4a5b");
const QString profilePath = QStringLiteral("/v1/me");

// How often the screen is read while a test waits for it.
constexpr int readingPauseMs = 100;

// How many pixels of the picture inside `within` pass the test.
int countPixels(const QImage &picture, const QRect &within, const std::function<bool(QRgb)> &test)
{
    const QRect area = within.intersected(picture.rect());
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
        count += static_cast<int>(std::count_if(line + area.left(), line + area.right() + 1, test));
    }
    return count;
}

// The rectangle drawn between two pictures inside `within`: its edges are the columns and
// rows where most changed pixels lie (an outline changes whole lines; a label or a handle
// beside it changes short runs only). Each edge is the middle of its band.
std::optional<QRect> drawnRectangle(const QImage &before, const QImage &after, const QRect &within)
{
    const QRect area = within.intersected(after.rect());
    QVector<int> columns(area.width(), 0);
    QVector<int> rows(area.height(), 0);
    for (int y = 0; y < area.height(); ++y) {
        const auto *was = reinterpret_cast<const QRgb *>(before.constScanLine(area.top() + y));
        const auto *now = reinterpret_cast<const QRgb *>(after.constScanLine(area.top() + y));
        for (int x = area.left(); x <= area.right(); ++x) {
            const int change = std::max({std::abs(qRed(was[x]) - qRed(now[x])),
                std::abs(qGreen(was[x]) - qGreen(now[x])), std::abs(qBlue(was[x]) - qBlue(now[x]))});
            if (change > 48) {
                ++columns[x - area.left()];
                ++rows[y];
            }
        }
    }
    // The first and the last band of counts above half the largest.
    const auto edges = [](const QVector<int> &counts) -> std::optional<std::pair<int, int>> {
        const int threshold = *std::max_element(counts.begin(), counts.end()) / 2;
        if (threshold < 10) {
            return std::nullopt;
        }
        QVector<std::pair<int, int>> bands;
        for (int i = 0; i < counts.size(); ++i) {
            if (counts[i] <= threshold) {
                continue;
            }
            if (!bands.isEmpty() && bands.last().second == i - 1) {
                bands.last().second = i;
            } else {
                bands.append({i, i});
            }
        }
        if (bands.size() < 2) {
            return std::nullopt;
        }
        return std::pair{
            (bands.first().first + bands.first().second) / 2, (bands.last().first + bands.last().second) / 2};
    };
    const auto horizontal = edges(columns);
    const auto vertical = edges(rows);
    if (!horizontal || !vertical) {
        return std::nullopt;
    }
    return QRect(QPoint(area.left() + horizontal->first, area.top() + vertical->first),
        QPoint(area.left() + horizontal->second, area.top() + vertical->second));
}

class VeyraProductTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(x11.isRunning()) << x11.errorString().toStdString();
        ASSERT_TRUE(home.isValid() && browserFolder.isValid());
        ASSERT_TRUE(desktop.isValid() && pointer.isValid() && keyboard.isValid());
        ASSERT_TRUE(reader.isValid()) << "no Tesseract language data for English";
        // The stand-in browser, under the name Qt runs to open a web page.
        ASSERT_TRUE(QFile::link(
            testProgramPath(QStringLiteral("veyra_test_browser")), browserFolder.filePath(QStringLiteral("xdg-open"))));
        scriptService();
        // Each test starts without a saved session unless it saves one.
        runTask(keyring().deleteToken());
        m_clock.start();
    }

    // Saves the screen if the test has failed by the time it is destroyed: declared after
    // the programs, it goes before they do.
    struct ScreenOnFailure
    {
        VeyraProductTest *test;
        VeyraProcess *veyra;
        ~ScreenOnFailure()
        {
            if (HasFailure()) {
                test->shot(QStringLiteral("failure"), true);
                std::cerr << "veyra's output:\n" << veyra->output().toStdString() << '\n';
            }
        }
    };

    // The build's configuration, pointed at the stand-ins.
    QJsonObject infoOverrides() const
    {
        return standInInfoOverrides(service, google,
            StandInGoogleClient{clientID, clientSecret, reversedClientID,
                QStringLiteral("veyra-e2e-server.apps.googleusercontent.com")});
    }

    void scriptService()
    {
        const QByteArray policy = policyDocument(1, QStringLiteral("1"));
        service.setDefaultResponse("GET", minimumVersionPolicyPath, ScriptedResponse::raw(200, policy));
        service.setDefaultResponse(
            "GET", minimumVersionSignaturePath, ScriptedResponse::raw(200, testSignatureFile(policy), "text/plain"));
        service.setDefaultResponse(
            "GET", updateFeedPath, ScriptedResponse::raw(200, appcastDocument(service, {}), "application/xml"));
        service.setDefaultResponder("POST", loginPath, [this](const RecordedRequest &request) {
            if (request.jsonBody().value(QStringLiteral("id_token")).toString().isEmpty()) {
                return ScriptedResponse::json(errorEnvelope(QStringLiteral("invalid_token")), 401);
            }
            return ScriptedResponse::json(tokenPairAnswer(issueAccessToken(1), nextRefreshToken()));
        });
        service.setDefaultResponder("POST", refreshPath, [this](const RecordedRequest &) {
            return ScriptedResponse::json(tokenPairAnswer(issueAccessToken(2), nextRefreshToken()));
        });
        service.setDefaultResponder("GET", profilePath, authorised([](const RecordedRequest &) {
            return ScriptedResponse::json(QJsonObject{{QStringLiteral("id"), profileID},
                {QStringLiteral("email"), QStringLiteral("player@example.com")},
                {QStringLiteral("display_name"), QStringLiteral("Player One")}});
        }));
        service.setDefaultResponder("POST", gameTitleResolvePath, authorised([](const RecordedRequest &) {
            return ScriptedResponse::json(
                gameTitleAnswer(QStringLiteral("Harbour Tales"), QStringLiteral("Harbour Tales")));
        }));
        service.setDefaultResponder("POST", translationsPath, authorised([](const RecordedRequest &request) {
            const QJsonObject body = request.jsonBody();
            const QString text = body.value(QStringLiteral("text")).toString();
            const QString language = body.value(QStringLiteral("target_language")).toString();
            return ScriptedResponse::json(
                translationAnswer(text, translationOf(text), language, translationIDOf(text)));
        }));
    }

    // The service's own features answer, as the real server does, only a request that
    // carries the access token the service issued last; each refusal is counted.
    ServiceStandIn::Responder authorised(ServiceStandIn::Responder answer)
    {
        return [this, answer = std::move(answer)](const RecordedRequest &request) {
            if (request.header("Authorization") != "Bearer " + issuedAccessToken()) {
                ++m_refusals;
                return ScriptedResponse::json(errorEnvelope(QStringLiteral("unauthorized")), 401);
            }
            return answer(request);
        };
    }

    // Every feature the test used was asked, and with the session's token each time.
    void expectAskedWithTheSessionsToken(const QList<std::pair<QByteArray, QString>> &endpoints)
    {
        for (const auto &[method, path] : endpoints) {
            EXPECT_FALSE(service.requests(method, path).isEmpty()) << path.toStdString() << " was not asked";
        }
        EXPECT_EQ(m_refusals, 0) << "requests without the session's token";
    }

    // The identity the stand-in gives the translation of a line.
    static QUuid translationIDOf(const QString &text)
    {
        return QUuid::createUuidV5(QUuid(QStringLiteral("{6f0c1a52-2c1e-4f7d-9a53-6c1d2e3f4a5b}")), text);
    }
    static QString errorReportPath(const QString &text)
    {
        return QStringLiteral("/v1/app/translations/%1/error-reports")
            .arg(translationIDOf(text).toString(QUuid::WithoutBraces).toLower());
    }

    // The stand-in's translations: distinct plain words that read back reliably.
    static QString translationOf(const QString &text)
    {
        if (comparableText(text).contains(QStringLiteral("bridge"))) {
            return QStringLiteral("Lanterns glow over the quiet harbour");
        }
        if (comparableText(text).contains(QStringLiteral("map"))) {
            return QStringLiteral("Seven ravens circle the tower");
        }
        return QStringLiteral("Untranslated line");
    }

    QString nextRefreshToken()
    {
        std::lock_guard lock(m_refreshMutex);
        return QStringLiteral("refresh-%1").arg(++m_refreshTokens);
    }
    QString issueAccessToken(int number)
    {
        std::lock_guard lock(m_refreshMutex);
        m_accessToken = QStringLiteral("access-%1").arg(number).toUtf8();
        return QString::fromUtf8(m_accessToken);
    }
    QByteArray issuedAccessToken()
    {
        std::lock_guard lock(m_refreshMutex);
        return m_accessToken;
    }

    VeyraProcess::Options launchOptions() const
    {
        VeyraProcess::Options options;
        options.homeFolder = home.path();
        options.infoOverrides = infoOverrides();
        options.pathPrefix = browserFolder.path();
        options.extraEnvironment.insert(QStringLiteral("VEYRA_TEST_BROWSER_LOG"), browserLog());
        return options;
    }

    QString browserLog() const { return browserFolder.filePath(QStringLiteral("browser.log")); }

    // Saves the screen when VEYRA_E2E_SCREENSHOTS names a folder (or always for a failure,
    // into the build folder), so that a run can be looked at.
    void shot(const QString &name, bool always = false)
    {
        QString folder = qEnvironmentVariable("VEYRA_E2E_SCREENSHOTS");
        if (folder.isEmpty() && always) {
            folder = binaryDir() + QStringLiteral("/tests/e2e-screenshots");
        }
        if (folder.isEmpty()) {
            return;
        }
        QDir().mkpath(folder);
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        const QString path
            = QStringLiteral("%1/%2-%3.png").arg(folder, QString::fromLatin1(info ? info->name() : "test"), name);
        desktop.screenshot().save(path);
        std::cerr << "[" << m_clock.elapsed() << " ms] " << name.toStdString() << '\n';
        if (always) {
            std::cerr << "screenshot: " << path.toStdString() << '\n';
        }
    }

    // The window with the identity, as soon as it is on screen.
    std::optional<X11ManagedWindow> waitForWindow(const QString &identity, int timeoutMs = stepTimeoutMs)
    {
        std::optional<X11ManagedWindow> found;
        waitUntil(
            [&] {
                found = desktop.viewableWindowWithRole(identity);
                return found.has_value();
            },
            timeoutMs, readingPauseMs);
        return found;
    }

    // What the window shows now, read off the screen until it is enough.
    QVector<ScreenWord> readWindow(const QString &identity, const ScreenTextReader::Enough &enough = {})
    {
        const std::optional<X11ManagedWindow> window = desktop.viewableWindowWithRole(identity);
        return window ? reader.read(desktop.screenshot(), window->geometry, enough) : QVector<ScreenWord>();
    }

    // Where the phrase shows in the window, as soon as it does.
    std::optional<QRect> waitForText(const QString &identity, const QString &phrase, int timeoutMs = stepTimeoutMs)
    {
        std::optional<QRect> found;
        waitForReading(
            identity,
            [&](const QVector<ScreenWord> &words) {
                found = findPhrase(words, phrase);
                return found.has_value();
            },
            timeoutMs);
        return found;
    }

    // Waits until what the window shows satisfies the condition.
    bool waitForReading(
        const QString &identity, const ScreenTextReader::Enough &condition, int timeoutMs = stepTimeoutMs)
    {
        m_lastReading.clear();
        return waitUntil(
            [&] {
                const QVector<ScreenWord> words = readWindow(identity, condition);
                m_lastReading = screenText(words);
                return condition(words);
            },
            timeoutMs, readingPauseMs);
    }

    // Waits until the window shows the text, wherever it is.
    bool waitForTextAnywhere(const QString &identity, const QString &text, int timeoutMs = stepTimeoutMs)
    {
        return waitForReading(
            identity,
            [wanted = comparableText(text)](
                const QVector<ScreenWord> &words) { return comparableText(screenText(words)).contains(wanted); },
            timeoutMs);
    }

    // Waits until the overlay shows the game's line and its translation.
    bool waitForRow(const QString &line, const QString &translation)
    {
        return waitForReading(
            overlayWindow,
            [&](const QVector<ScreenWord> &words) {
                const QString text = comparableText(screenText(words));
                return text.contains(comparableText(line)) && text.contains(comparableText(translation));
            },
            translationTimeoutMs);
    }

    // Whether the service was asked to translate exactly this line (as recognised).
    bool translated(const QString &line) const
    {
        const QList<RecordedRequest> requests = service.requests("POST", translationsPath);
        return std::any_of(requests.begin(), requests.end(), [&line](const RecordedRequest &request) {
            return request.jsonBody().value(QStringLiteral("text")).toString() == line;
        });
    }

    // The application's refresh token in the keyring.
    static KeychainRefreshTokenStore keyring()
    {
        return KeychainRefreshTokenStore(
            refreshTokenKeychainService(appBundleIdentifier()), refreshTokenKeychainAccount);
    }
    static QString savedRefreshToken() { return runTask(keyring().load()).value_or(QString()); }

    // The game's window as the window list shows it to the application.
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

    // The capture areas in the application's folder of the test's home.
    FileCaptureAreaStore storedProfiles() const
    {
        return FileCaptureAreaStore(
            QUrl::fromLocalFile(applicationFolderPath(VeyraProcess::dataFolder(home.path()), isDebugBuild())
                + QStringLiteral("/capture-areas.json")));
    }

    // Clicks the phrase in the window once it shows.
    bool clickText(const QString &identity, const QString &phrase, int timeoutMs = stepTimeoutMs)
    {
        const std::optional<QRect> place = waitForText(identity, phrase, timeoutMs);
        if (!place) {
            ADD_FAILURE() << '"' << phrase.toStdString() << "\" is not in \"" << identity.toStdString()
                          << "\"; it reads:\n"
                          << m_lastReading.toStdString();
            return false;
        }
        pointer.clickAt(place->center());
        return true;
    }

    // In the window picker: the game's application, then its window, then "Play with
    // Veyra" (or Return, which the picker takes for it).
    enum class Confirmation { click, returnKey };
    bool pickGame(const TestGameWindow::Options &game, Confirmation confirmation = Confirmation::click)
    {
        if (!waitForText(mainWindow, QStringLiteral("Which game are we playing?"), startTimeoutMs)) {
            ADD_FAILURE() << "no window picker; the main window reads:\n" << m_lastReading.toStdString();
            return false;
        }
        shot(QStringLiteral("picker"));
        if (!clickText(mainWindow, QStringLiteral("veyra_test_game_window")) || !clickText(mainWindow, game.title)) {
            return false;
        }
        if (confirmation == Confirmation::returnKey) {
            // As a player does: once "Play with Veyra" lights up for the chosen window.
            const std::optional<QRect> play = waitForText(mainWindow, QStringLiteral("Play with Veyra"));
            const auto lit = [&] {
                return play && countPixels(desktop.screenshot(), play->adjusted(-8, -6, 8, 6), [](QRgb pixel) {
                    return qRed(pixel) > 200 && qGreen(pixel) > 70 && qGreen(pixel) < 170 && qBlue(pixel) < 80;
                }) > play->width() * play->height() / 2;
            };
            if (!waitUntil(lit, stepTimeoutMs, readingPauseMs)) {
                ADD_FAILURE() << "\"Play with Veyra\" does not light up";
                return false;
            }
            return keyboard.tap(XTestKeyboard::returnKey);
        }
        return clickText(mainWindow, QStringLiteral("Play with Veyra"));
    }

    // The test game, showing the line in its dialogue box.
    static TestGameWindow::Options harbourTales(const QString &line)
    {
        TestGameWindow::Options options;
        options.title = QStringLiteral("Harbour Tales");
        options.position = QPoint(60, 60);
        options.boxRect = QRect(48, 378, 864, 135);
        options.text = line;
        return options;
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

    // A drag with the left button, through points in between as a hand moves.
    void drag(QPoint from, QPoint to) { pointer.dragLeft(from, to, 12); }

    XvfbSession x11;
    ServiceStandIn service;
    GoogleAuthorizationServer google{clientID, clientSecret};
    QTemporaryDir home;
    QTemporaryDir browserFolder;
    X11Desktop desktop{x11.display()};
    XTestPointer pointer{x11.display()};
    XTestKeyboard keyboard{x11.display()};
    ScreenTextReader reader;
    QString m_lastReading;
    QElapsedTimer m_clock;

private:
    std::mutex m_refreshMutex;
    int m_refreshTokens = 0;
    QByteArray m_accessToken;
    std::atomic<int> m_refusals = 0;
};

} // namespace

TEST_F(VeyraProductTest, FirstSessionSignsInDrawsACaptureAreaAndTranslatesTheGame)
{
    const TestGameWindow::Options gameOptions = harbourTales(QStringLiteral("The bridge to the north has collapsed."));
    TestGameWindow game(x11, gameOptions);
    ASSERT_TRUE(game.isRunning()) << game.errorString().toStdString();

    VeyraProcess veyra(x11, launchOptions());
    ASSERT_TRUE(veyra.isRunning()) << veyra.errorString().toStdString();
    const ScreenOnFailure screenOnFailure{this, &veyra};

    // A first start: the sign-in screen.
    ASSERT_TRUE(waitForWindow(mainWindow, startTimeoutMs)) << veyra.output().toStdString();
    const bool signedIn = clickText(mainWindow, QStringLiteral("Sign in with Google"), startTimeoutMs);
    shot(QStringLiteral("1-sign-in"));
    ASSERT_TRUE(signedIn) << veyra.output().toStdString();

    // Signed in through the browser: Google's page sent it back to the application's
    // loopback address with a code, which the application redeemed with its proof key, and
    // the service exchanged Google's ID token for the session, kept in the keyring.
    ASSERT_TRUE(pickGame(gameOptions)) << veyra.output().toStdString();
    QFile log(browserLog());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QStringList visits = QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(visits.size(), 2) << visits.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(visits[0].startsWith(QStringLiteral("opened ") + google.endpoints().authorizationURL.toString()));
    EXPECT_TRUE(visits[1].startsWith(QStringLiteral("loaded 200 http://127.0.0.1:"))) << visits[1].toStdString();
    ASSERT_EQ(google.tokenRequests().size(), 1);
    EXPECT_TRUE(google.tokenRequests()[0].redeemed);
    const QList<RecordedRequest> logins = service.requests("POST", loginPath);
    ASSERT_EQ(logins.size(), 1);
    EXPECT_FALSE(logins[0].jsonBody().value(QStringLiteral("id_token")).toString().isEmpty());
    EXPECT_EQ(savedRefreshToken(), QStringLiteral("refresh-1"));
    shot(QStringLiteral("3-signed-in"));

    ASSERT_TRUE(waitForWindow(overlayWindow));
    ASSERT_TRUE(waitForText(overlayWindow, QStringLiteral("Capture areas required"))) << m_lastReading.toStdString();
    shot(QStringLiteral("4-overlay-card"));
    ASSERT_TRUE(clickText(overlayWindow, QStringLiteral("Edit Capture Areas")));
    ASSERT_TRUE(waitForWindow(editorWindow));
    // The first time, the editing guide comes first: a window of its own (with the
    // editor's title), held above the editor while it is open.
    ASSERT_TRUE(waitForWindow(guideWindow));
    // Bottom to top, as the window manager stacks them; -1 for a window not listed.
    const auto level = [](const QVector<X11ManagedWindow> &stacking, const QString &identity) -> qsizetype {
        for (qsizetype i = 0; i < stacking.size(); ++i) {
            if (stacking[i].role == identity && stacking[i].isViewable) {
                return i;
            }
        }
        return -1;
    };
    qsizetype guideLevel = -1;
    qsizetype editorLevel = -1;
    EXPECT_TRUE(waitUntil(
        [&] {
            const QVector<X11ManagedWindow> stacking = desktop.managedWindows();
            guideLevel = level(stacking, guideWindow);
            editorLevel = level(stacking, editorWindow);
            return guideLevel > editorLevel && editorLevel >= 0;
        },
        stepTimeoutMs, readingPauseMs))
        << "the guide stands at " << guideLevel << ", the editor at " << editorLevel << " (bottom to top)";
    ASSERT_TRUE(waitForText(guideWindow, QStringLiteral("Show Veyra where"))) << m_lastReading.toStdString();
    shot(QStringLiteral("5-guide"));
    ASSERT_TRUE(clickText(guideWindow, QStringLiteral("Done")));
    ASSERT_TRUE(waitUntil([&] { return !desktop.viewableWindowWithRole(guideWindow); }, stepTimeoutMs, readingPauseMs));

    // The editor shows the game's picture: its dialogue box is where the box colour is.
    ASSERT_TRUE(waitForText(editorWindow, QStringLiteral("Add Area"))) << m_lastReading.toStdString();
    std::optional<X11ManagedWindow> editor;
    std::optional<QRect> box;
    std::optional<QRect> lastBox;
    QImage before;
    ASSERT_TRUE(waitUntil(
        [&] {
            editor = desktop.viewableWindowWithRole(editorWindow);
            before = desktop.screenshot();
            lastBox = std::exchange(
                box, editor ? colourArea(before, editor->geometry, gameOptions.boxColor) : std::nullopt);
            // The guide is gone and the picture is on the canvas, where it stays (the
            // window manager has placed the window).
            return editor && editor->geometry.width() > 1000 && box && box == lastBox;
        },
        stepTimeoutMs, readingPauseMs));
    shot(QStringLiteral("6-editor"));
    // The game's picture on the canvas, from where its box shows: the test drew both.
    const double scale = box->width() / static_cast<double>(gameOptions.boxRect.width());
    const QRect picture(box->topLeft() - gameOptions.boxRect.topLeft() * scale, gameOptions.size * scale);

    // The area on the canvas once it is as wanted and two screenshots in a row agree (a
    // loaded machine paints late), so that each gesture starts where the area really is.
    std::optional<QRect> area;
    const auto settledArea = [&](const std::function<bool(const QRect &)> &wanted) {
        std::optional<QRect> last;
        return waitUntil(
            [&] {
                last = std::exchange(area, drawnRectangle(before, desktop.screenshot(), picture));
                return area && area == last && wanted(*area);
            },
            stepTimeoutMs, readingPauseMs);
    };
    const auto near = [](QPoint a, QPoint b) { return (a - b).manhattanLength() <= 6; };
    const auto where = [&area] {
        return area ? QStringLiteral("the area is at %1,%2 %3x%4")
                          .arg(area->x())
                          .arg(area->y())
                          .arg(area->width())
                          .arg(area->height())
                          .toStdString()
                    : std::string("no area shows");
    };

    // A new area, in the middle of the picture: moved over the box, then stretched to
    // take it in with room on every side.
    ASSERT_TRUE(clickText(editorWindow, QStringLiteral("Add Area")));
    ASSERT_TRUE(settledArea([&picture](const QRect &drawn) {
        return picture.contains(drawn) && drawn.width() > 40 && drawn.height() > 20;
    })) << where();
    shot(QStringLiteral("7-area-added"));
    drag(area->center(), box->center());
    ASSERT_TRUE(settledArea([&](const QRect &drawn) { return near(drawn.center(), box->center()); })) << where();
    shot(QStringLiteral("7b-area-moved"));
    const QRect around = box->adjusted(-16, -16, 16, 16);
    drag(area->topLeft(), around.topLeft());
    ASSERT_TRUE(settledArea([&](const QRect &drawn) { return near(drawn.topLeft(), around.topLeft()); })) << where();
    shot(QStringLiteral("7c-area-stretched"));
    drag(area->bottomRight(), around.bottomRight());
    ASSERT_TRUE(settledArea([&](const QRect &drawn) {
        return near(drawn.topLeft(), around.topLeft()) && near(drawn.bottomRight(), around.bottomRight());
    })) << where();
    shot(QStringLiteral("8-area-drawn"));

    // The eyedropper on a bare patch of the box, above its text.
    ASSERT_TRUE(clickText(editorWindow, QStringLiteral("Pick Background")));
    ASSERT_TRUE(waitForText(editorWindow, QStringLiteral("Click Background"))) << m_lastReading.toStdString();
    pointer.clickAt(QPoint(box->left() + box->width() / 20, box->top() + box->height() / 10));
    // The inspector shows the colour as the detector will look for it.
    QImage boxPatch(40, 20, QImage::Format_RGB32);
    boxPatch.fill(gameOptions.boxColor);
    const auto pattern = DefaultDialogueBackgroundPatternAnalyzer().analyze(boxPatch, CaptureRegion{0, 0, 40, 20});
    ASSERT_TRUE(pattern.has_value());
    const QString picked
        = QStringLiteral("R %1 G %2 B %3").arg(pattern->first.red).arg(pattern->first.green).arg(pattern->first.blue);
    ASSERT_TRUE(waitForTextAnywhere(editorWindow, picked)) << m_lastReading.toStdString();
    shot(QStringLiteral("9-picked"));
    ASSERT_TRUE(clickText(editorWindow, QStringLiteral("Save")));
    ASSERT_TRUE(
        waitUntil([&] { return !desktop.viewableWindowWithRole(editorWindow); }, stepTimeoutMs, readingPauseMs));
    // Saved for the game's window: one area around the box, with the box's colour.
    const std::optional<CaptureTarget> target = listedTarget(game);
    ASSERT_TRUE(target && target->profileKey());
    const auto stored = storedProfiles().profile(*target->profileKey());
    ASSERT_TRUE(stored.has_value());
    ASSERT_EQ(stored->areas.size(), 1);
    const CaptureRegion region = stored->areas[0].searchRegion;
    const QRect searched(region.left, region.top, region.width, region.height);
    EXPECT_TRUE(searched.contains(gameOptions.boxRect))
        << region.left << "," << region.top << " " << region.width << "x" << region.height;
    EXPECT_LE(searched.width() * searched.height(), 2 * gameOptions.boxRect.width() * gameOptions.boxRect.height());
    EXPECT_EQ(stored->areas[0].backgroundPattern, pattern->first);

    // The overlay reads the game's line and shows it with its translation.
    ASSERT_TRUE(waitForRow(gameOptions.text, QStringLiteral("Lanterns glow over the quiet harbour")))
        << m_lastReading.toStdString();
    shot(QStringLiteral("10-translated"));
    EXPECT_TRUE(translated(gameOptions.text));

    // A new line in the game: the row follows.
    const QString nextLine = QStringLiteral("Where did you put the old map?");
    ASSERT_TRUE(game.setText(nextLine));
    ASSERT_TRUE(waitForRow(nextLine, QStringLiteral("Seven ravens circle the tower"))) << m_lastReading.toStdString();
    EXPECT_FALSE(comparableText(m_lastReading).contains(comparableText(QStringLiteral("Lanterns glow"))));
    shot(QStringLiteral("11-changed"));
    EXPECT_TRUE(translated(nextLine));
    expectAskedWithTheSessionsToken({{"GET", profilePath}, {"POST", gameTitleResolvePath}, {"POST", translationsPath}});

    EXPECT_TRUE(veyra.quit()) << veyra.output().toStdString();
}

TEST_F(VeyraProductTest, ReturningPlayerPlaysAGameWithStoredCaptureAreas)
{
    const TestGameWindow::Options gameOptions = harbourTales(QStringLiteral("Where did you put the old map?"));
    TestGameWindow game(x11, gameOptions);
    ASSERT_TRUE(game.isRunning()) << game.errorString().toStdString();

    // Signed in before, and the game's capture area drawn before: both kept by the
    // application, the session in the keyring and the area in its folder.
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
    storedProfiles().save(profile);

    VeyraProcess veyra(x11, launchOptions());
    ASSERT_TRUE(veyra.isRunning()) << veyra.errorString().toStdString();
    const ScreenOnFailure screenOnFailure{this, &veyra};

    // No sign-in: the saved session is renewed with the service, and the picker comes.
    ASSERT_TRUE(pickGame(gameOptions, Confirmation::returnKey)) << veyra.output().toStdString();
    const QList<RecordedRequest> refreshes = service.requests("POST", refreshPath);
    ASSERT_EQ(refreshes.size(), 1);
    EXPECT_EQ(
        refreshes[0].jsonBody().value(QStringLiteral("refresh_token")).toString(), QStringLiteral("refresh-saved"));
    EXPECT_TRUE(service.requests("POST", loginPath).isEmpty());
    EXPECT_TRUE(google.authorizationRequests().isEmpty());
    EXPECT_EQ(savedRefreshToken(), QStringLiteral("refresh-1"));

    // Straight to play: the overlay shows the game's line translated.
    ASSERT_TRUE(waitForRow(gameOptions.text, QStringLiteral("Seven ravens circle the tower")))
        << m_lastReading.toStdString();
    shot(QStringLiteral("translated"));
    EXPECT_TRUE(translated(gameOptions.text));

    // The player clicks into the game (below its dialogue box, where the overlay is not)
    // and starts Veyra again in the middle of play: the new start hands over to the running
    // Veyra and ends. The main window, which shows nothing during play, stays off the
    // screen, the game keeps the keyboard, and the overlay stays above the game.
    const QRect gameArea = QRect(*gameOptions.position, gameOptions.size);
    pointer.clickAt(QPoint(gameArea.center().x(), gameArea.top() + 60));
    ASSERT_TRUE(waitUntil([&] { return desktop.activeWindow() == game.windowID(); }, stepTimeoutMs, readingPauseMs));
    VeyraProcess again(x11, launchOptions());
    ASSERT_TRUE(again.waitForExit(startTimeoutMs)) << again.output().toStdString();
    EXPECT_EQ(again.exitCode(), 0);
    ASSERT_TRUE(windowManagerCaughtUp());
    EXPECT_FALSE(desktop.viewableWindowWithRole(QStringLiteral("main"), veyra.processID()));
    EXPECT_EQ(desktop.activeWindow(), game.windowID());
    const std::optional<X11ManagedWindow> overlay = desktop.viewableWindowWithRole(QStringLiteral("overlay"));
    ASSERT_TRUE(overlay);
    const X11Probe probe(x11.display());
    EXPECT_GT(probe.stackingIndex(overlay->id), probe.stackingIndex(game.windowID()));

    // The player reports the translation (the strip's second item, the line, Return): the
    // report goes out with the session's token too, and the line is translated again.
    const QString reportPath = errorReportPath(gameOptions.text);
    service.setDefaultResponder(
        "POST", reportPath, authorised([](const RecordedRequest &) { return ScriptedResponse::raw(204, {}); }));
    const std::optional<X11ManagedWindow> strip = waitForWindow(QStringLiteral("overlay-controls"));
    ASSERT_TRUE(strip);
    const QPoint reportItem(strip->geometry.left() + strip->geometry.width() * 3 / 8, strip->geometry.center().y());
    ASSERT_TRUE(moveOnto(pointer, probe, strip->id, reportItem));
    pointer.clickAt(reportItem);
    const QString popover = QStringLiteral("translation-error-report-popover");
    ASSERT_TRUE(waitForWindow(popover));
    ASSERT_TRUE(clickText(popover, QStringLiteral("Seven ravens circle the tower")));
    ASSERT_TRUE(waitForTextAnywhere(popover, QStringLiteral("OCR text"))) << m_lastReading.toStdString();
    shot(QStringLiteral("report-review"));
    const qsizetype translations = service.requests("POST", translationsPath).size();
    ASSERT_TRUE(keyboard.tap(XTestKeyboard::returnKey));
    ASSERT_TRUE(waitUntil([&] { return service.requests("POST", translationsPath).size() > translations; },
        stepTimeoutMs, readingPauseMs))
        << "the reported line is not translated again";
    EXPECT_EQ(service.requests("POST", reportPath).size(), 1);
    expectAskedWithTheSessionsToken(
        {{"GET", profilePath}, {"POST", gameTitleResolvePath}, {"POST", translationsPath}, {"POST", reportPath}});

    EXPECT_TRUE(veyra.quit()) << veyra.output().toStdString();
}
