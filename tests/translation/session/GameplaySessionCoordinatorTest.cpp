// Test label: unit
#include "translation/session/GameplaySessionCoordinator.h"
#include "capture/areas/InMemoryCaptureAreaStore.h"
#include "support/FakeCapturePipeline.h"
#include "support/FakeGameTitleResolver.h"
#include "support/GameTitleServiceScript.h"
#include "support/LogCapture.h"
#include "support/RunTask.h"
#include "support/ServiceStandIn.h"
#include "support/TranslationServiceScript.h"
#include "translation/http/HTTPTransportError.h"
#include "translation/titles/FileGameTitleStore.h"
#include "translation/titles/FixtureGameTitleResolver.h"
#include "translation/titles/GameTitleClientError.h"
#include "translation/titles/HTTPGameTitleResolver.h"
#include "translation/titles/InMemoryGameTitleStore.h"
#include "translation/translations/HTTPTranslationClient.h"
#include "translation/translations/InMemoryTranslationSettingsStore.h"
#include "translation/translations/TranslationCoordinator.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;

namespace {

CaptureTarget window(const QString &bundle, const QString &title, std::uint32_t windowID = 11)
{
    CaptureTarget target;
    target.windowID = windowID;
    target.processID = 500;
    target.bundleIdentifier = bundle;
    target.applicationName = QStringLiteral("Game App");
    target.windowTitle = title;
    target.frame = QRectF(0, 0, 1280, 720);
    return target;
}

// A window whose application has neither bundle identifier nor executable: no key.
CaptureTarget unidentifiedWindow()
{
    CaptureTarget target = window(QString(), QStringLiteral("Untitled"));
    target.bundleIdentifier.reset();
    return target;
}

CaptureAreaProfile profileFor(const CaptureTarget &target)
{
    CaptureAreaProfile profile;
    const GameWindowProfileKey key = *target.profileKey();
    profile.applicationIdentity = key.applicationIdentity;
    profile.windowTitle = key.windowTitle;
    profile.referenceImageWidth = 1280;
    profile.referenceImageHeight = 720;
    return profile;
}

std::shared_ptr<TranslationSettingsModel> settings(TranslationTargetLanguage language)
{
    return std::make_shared<TranslationSettingsModel>(
        std::make_unique<InMemoryTranslationSettingsStore>(rawValue(language)), QStringList{QStringLiteral("en-US")});
}

void settle()
{
    for (int round = 0; round < 5; ++round) {
        QCoreApplication::processEvents();
    }
}

// A store that fails as it is told to, and otherwise keeps answers in memory.
class FailingGameTitleStore : public InMemoryGameTitleStore
{
public:
    std::optional<GameTitleResolution> resolution(const GameWindowProfileKey &key) override
    {
        if (failsLookups) {
            throw Error(QStringLiteral("The disk is on fire."));
        }
        return InMemoryGameTitleStore::resolution(key);
    }
    void save(const GameTitleResolution &resolution, const GameWindowProfileKey &key) override
    {
        if (failsSaves) {
            throw Error(QStringLiteral("The disk is full."));
        }
        InMemoryGameTitleStore::save(resolution, key);
    }
    bool failsLookups = false;
    bool failsSaves = false;
};

class GameplaySessionCoordinatorTest : public ::testing::Test
{
protected:
    GameplaySessionCoordinatorTest()
        : m_pipeline(std::make_shared<FakeCapturePipeline>())
        , m_store(std::make_shared<FailingGameTitleStore>())
        , m_resolver(std::make_shared<FakeGameTitleResolver>())
        , m_coordinator(std::make_shared<InMemoryCaptureAreaStore>(), m_pipeline, nullptr,
              settings(TranslationTargetLanguage::korean), m_store, m_resolver)
    { }

    void TearDown() override { failPendingCalls(m_resolver->calls, std::make_exception_ptr(CancellationError())); }

    FakeGameTitleResolver::Call &waitForCall(size_t count)
    {
        EXPECT_TRUE(waitUntil([&] { return m_resolver->calls.size() >= count; }));
        return *m_resolver->calls.at(count - 1);
    }

    // The four title states.
    bool isNone() const
    {
        return !m_coordinator.selectedGameTitleKey() && !m_coordinator.gameTitleRequestID()
            && !m_coordinator.gameTitleTask() && !m_coordinator.representativeGameName();
    }
    bool isSelectedWithoutTitle() const
    {
        return m_coordinator.selectedGameTitleKey() && !m_coordinator.gameTitleRequestID()
            && !m_coordinator.gameTitleTask() && !m_coordinator.representativeGameName();
    }
    bool isResolving() const
    {
        return m_coordinator.selectedGameTitleKey() && m_coordinator.gameTitleRequestID()
            && m_coordinator.gameTitleTask() && !m_coordinator.representativeGameName();
    }
    bool isResolved(const QString &title) const
    {
        return m_coordinator.selectedGameTitleKey() && !m_coordinator.gameTitleRequestID()
            && !m_coordinator.gameTitleTask() && m_coordinator.representativeGameName() == title;
    }

    const CaptureTarget m_windowA = window(QStringLiteral("com.example.a"), QStringLiteral("Chapter 1"));
    const CaptureTarget m_windowB = window(QStringLiteral("com.example.b"), QStringLiteral("Main"), 12);
    std::shared_ptr<FakeCapturePipeline> m_pipeline;
    std::shared_ptr<FailingGameTitleStore> m_store;
    std::shared_ptr<FakeGameTitleResolver> m_resolver;
    GameplaySessionCoordinator m_coordinator;
};

} // namespace

TEST_F(GameplaySessionCoordinatorTest, ACachedTitleNeedsNoServer)
{
    m_store->save(GameTitleResolution(QStringLiteral("Chapter"), QStringLiteral("Game A")), *m_windowA.profileKey());
    m_coordinator.resolveGameTitle(m_windowA);
    EXPECT_TRUE(isResolved(QStringLiteral("Game A")));
    EXPECT_EQ(m_coordinator.selectedGameTitleKey(), m_windowA.profileKey());

    // The capture loop started for the same window (another window ID, the same key)
    // resolves nothing again.
    m_coordinator.start(
        window(QStringLiteral("com.example.a"), QStringLiteral("Chapter 1 "), 99), profileFor(m_windowA));
    settle();
    EXPECT_TRUE(m_resolver->calls.empty());
    EXPECT_TRUE(isResolved(QStringLiteral("Game A")));
    ASSERT_EQ(m_pipeline->starts.size(), 1);
    EXPECT_EQ(m_pipeline->starts[0].second, profileFor(m_windowA));
}

TEST_F(GameplaySessionCoordinatorTest, AnIncompleteEntryIsAskedAgain)
{
    // Either name missing: the server is asked again (a representative name alone is not
    // enough).
    for (const GameTitleResolution &incomplete : {GameTitleResolution(QStringLiteral("Chapter"), std::nullopt),
             GameTitleResolution(std::nullopt, QStringLiteral("Game A")), GameTitleResolution()}) {
        m_store->save(incomplete, *m_windowA.profileKey());
        const size_t before = m_resolver->calls.size();
        m_coordinator.resolveGameTitle(m_windowA);
        // The task begins on a later turn of the event loop.
        EXPECT_TRUE(isResolving());
        auto &call = waitForCall(before + 1);
        EXPECT_EQ(call.metadata, GameTitleWindowMetadata(m_windowA));
        call.succeed(GameTitleResolution(QStringLiteral("Chapter"), QStringLiteral(" Game  A ")));
        ASSERT_TRUE(waitUntil([&] { return !m_coordinator.gameTitleTask(); }));
        EXPECT_TRUE(isResolved(QStringLiteral("Game A")));
        // The answer replaced the entry.
        EXPECT_EQ(m_store->resolution(*m_windowA.profileKey()),
            GameTitleResolution(QStringLiteral("Chapter"), QStringLiteral("Game A")));
    }
}

TEST_F(GameplaySessionCoordinatorTest, CacheFailuresAreLoggedAndTheSessionGoesOn)
{
    LogCapture log;
    m_store->failsLookups = true;
    m_store->failsSaves = true;
    m_coordinator.resolveGameTitle(m_windowA);
    EXPECT_EQ(log.messages(QStringLiteral("GameTitle")),
        QStringList{QStringLiteral("Game-title cache lookup failed: The disk is on fire.")});

    // The server is asked; a failed save still gives this session its title.
    waitForCall(1).succeed(GameTitleResolution(QStringLiteral("A"), QStringLiteral("Game A")));
    ASSERT_TRUE(waitUntil([&] { return !m_coordinator.gameTitleTask(); }));
    EXPECT_TRUE(isResolved(QStringLiteral("Game A")));
    EXPECT_EQ(log.messages(QStringLiteral("GameTitle")),
        QStringList({QStringLiteral("Game-title cache lookup failed: The disk is on fire."),
            QStringLiteral("Game-title cache save failed: The disk is full.")}));
}

TEST_F(GameplaySessionCoordinatorTest, OnlyTheLatestResolutionCounts)
{
    m_coordinator.resolveGameTitle(m_windowA);
    auto &forA = waitForCall(1);
    m_coordinator.resolveGameTitle(m_windowB);
    EXPECT_TRUE(forA.token.isCancelled());
    auto &forB = waitForCall(2);

    // A's answer arrives anyway: neither saved nor used.
    forA.succeed(GameTitleResolution(QStringLiteral("A"), QStringLiteral("Game A")));
    settle();
    EXPECT_FALSE(m_store->resolution(*m_windowA.profileKey()));
    EXPECT_TRUE(isResolving());
    EXPECT_EQ(m_coordinator.selectedGameTitleKey(), m_windowB.profileKey());

    forB.succeed(GameTitleResolution(QStringLiteral("B"), QStringLiteral("Game B")));
    ASSERT_TRUE(waitUntil([&] { return !m_coordinator.gameTitleTask(); }));
    EXPECT_TRUE(isResolved(QStringLiteral("Game B")));
    EXPECT_TRUE(m_store->resolution(*m_windowB.profileKey()));
}

TEST_F(GameplaySessionCoordinatorTest, AnswersWithoutATitleAndFailures)
{
    LogCapture log;
    // No representative name: the answer is saved and the title stays absent.
    m_coordinator.resolveGameTitle(m_windowA);
    waitForCall(1).succeed(GameTitleResolution(QStringLiteral("Chapter"), std::nullopt));
    ASSERT_TRUE(waitUntil([&] { return !m_coordinator.gameTitleTask(); }));
    EXPECT_TRUE(isSelectedWithoutTitle());
    EXPECT_EQ(
        m_store->resolution(*m_windowA.profileKey()), GameTitleResolution(QStringLiteral("Chapter"), std::nullopt));

    // A failure, a time-out included, is logged and leaves the title absent.
    m_coordinator.resolveGameTitle(m_windowA);
    waitForCall(2).fail(GameTitleClientError::unexpectedStatusCode(500));
    ASSERT_TRUE(waitUntil([&] { return !m_coordinator.gameTitleTask(); }));
    EXPECT_TRUE(isSelectedWithoutTitle());
    m_coordinator.resolveGameTitle(m_windowA);
    waitForCall(3).fail(HTTPTransportError(HTTPTransportError::Kind::timedOut));
    ASSERT_TRUE(waitUntil([&] { return !m_coordinator.gameTitleTask(); }));
    EXPECT_TRUE(isSelectedWithoutTitle());
    const QStringList messages = log.messages(QStringLiteral("GameTitle"));
    ASSERT_EQ(messages.size(), 2);
    EXPECT_EQ(
        messages[0], QStringLiteral("Game-title resolution failed: The game-title server returned HTTP status 500."));
    EXPECT_TRUE(messages[1].startsWith(QStringLiteral("Game-title resolution failed: ")));

    // A cancelled resolution logs nothing, even when it ends with a failure.
    m_coordinator.resolveGameTitle(m_windowA);
    auto &cancelled = waitForCall(4);
    m_coordinator.resetGameTitle();
    EXPECT_TRUE(isNone());
    EXPECT_TRUE(cancelled.token.isCancelled());
    cancelled.fail(GameTitleClientError(GameTitleClientError::Kind::invalidResponse));
    settle();
    EXPECT_EQ(log.messages(QStringLiteral("GameTitle")).size(), 2);
    EXPECT_TRUE(isNone());
}

TEST_F(GameplaySessionCoordinatorTest, WindowsWithoutAKeyRunWithoutATitle)
{
    m_store->save(GameTitleResolution(QStringLiteral("A"), QStringLiteral("Game A")), *m_windowA.profileKey());
    m_coordinator.resolveGameTitle(m_windowA);
    ASSERT_TRUE(isResolved(QStringLiteral("Game A")));

    const CaptureTarget unidentified = unidentifiedWindow();
    CaptureAreaProfile profile = profileFor(m_windowA);
    m_coordinator.start(unidentified, profile);
    EXPECT_TRUE(isNone());
    ASSERT_EQ(m_pipeline->starts.size(), 1);
    EXPECT_EQ(m_pipeline->starts[0].first, unidentified);
    settle();
    EXPECT_TRUE(m_resolver->calls.empty());

    // The same again keeps the (empty) state: two absent keys are equal.
    m_coordinator.start(unidentified, profile);
    EXPECT_TRUE(isNone());
    EXPECT_EQ(m_pipeline->starts.size(), 2);

    // A resolution still running for the same window is kept by start.
    m_coordinator.resolveGameTitle(m_windowB);
    const auto request = m_coordinator.gameTitleRequestID();
    m_coordinator.start(m_windowB, profileFor(m_windowB));
    EXPECT_EQ(m_coordinator.gameTitleRequestID(), request);
    EXPECT_EQ(waitForCall(1).metadata, GameTitleWindowMetadata(m_windowB));
    settle();
    EXPECT_EQ(m_resolver->calls.size(), 1u);
}

TEST(GameplaySessionCoordinatorOptionalsTest, WithoutResolverOrLoopTitlesComeFromTheCacheOnly)
{
    auto store = std::make_shared<InMemoryGameTitleStore>();
    GameplaySessionCoordinator coordinator(std::make_shared<InMemoryCaptureAreaStore>(), nullptr, nullptr,
        settings(TranslationTargetLanguage::english), store, nullptr);
    const CaptureTarget target = window(QStringLiteral("com.example.a"), QStringLiteral("One"));
    coordinator.start(target, profileFor(target));
    EXPECT_TRUE(coordinator.selectedGameTitleKey());
    EXPECT_FALSE(coordinator.gameTitleTask());
    EXPECT_FALSE(coordinator.representativeGameName());

    store->save(GameTitleResolution(QStringLiteral("One"), QStringLiteral("Game One")), *target.profileKey());
    coordinator.resolveGameTitle(target);
    EXPECT_EQ(coordinator.representativeGameName(), QStringLiteral("Game One"));
}

TEST(GameplaySessionCoordinatorOptionalsTest, AResolverThatAnswersAtOnceLeavesNoTaskBehind)
{
    GameplaySessionCoordinator coordinator(std::make_shared<InMemoryCaptureAreaStore>(), nullptr, nullptr,
        settings(TranslationTargetLanguage::english), std::make_shared<InMemoryGameTitleStore>(),
        std::make_shared<FixtureGameTitleResolver>());
    coordinator.resolveGameTitle(window(QStringLiteral("com.example.a"), QStringLiteral("  Star \n Ocean ")));
    EXPECT_TRUE(coordinator.gameTitleTask());
    ASSERT_TRUE(waitUntil([&] { return coordinator.representativeGameName().has_value(); }));
    EXPECT_EQ(coordinator.representativeGameName(), QStringLiteral("Star Ocean"));
    EXPECT_FALSE(coordinator.gameTitleTask());
    EXPECT_FALSE(coordinator.gameTitleRequestID());
}

TEST(GameplaySessionCoordinatorOptionalsTest, AnUnreadableCacheFileNeverStopsTheSession)
{
    QTemporaryDir folder;
    const QString path = folder.path() + QStringLiteral("/game-titles.json");
    ASSERT_TRUE(QDir().mkpath(path));
    auto resolver = std::make_shared<FakeGameTitleResolver>();
    GameplaySessionCoordinator coordinator(std::make_shared<InMemoryCaptureAreaStore>(), nullptr, nullptr,
        settings(TranslationTargetLanguage::english), std::make_shared<FileGameTitleStore>(QUrl::fromLocalFile(path)),
        resolver);
    LogCapture log;
    coordinator.resolveGameTitle(window(QStringLiteral("com.example.a"), QStringLiteral("One")));
    ASSERT_TRUE(waitUntil([&] { return resolver->calls.size() == 1; }));
    resolver->calls[0]->succeed(GameTitleResolution(QStringLiteral("One"), QStringLiteral("Game One")));
    ASSERT_TRUE(waitUntil([&] { return !coordinator.gameTitleTask(); }));
    EXPECT_EQ(coordinator.representativeGameName(), QStringLiteral("Game One"));
    const QStringList messages = log.messages(QStringLiteral("GameTitle"));
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Game-title cache lookup failed: ")));
    EXPECT_TRUE(messages[0].contains(QStringLiteral("game-titles.json")));
    EXPECT_TRUE(messages[1].startsWith(QStringLiteral("Game-title cache save failed: ")));
    EXPECT_TRUE(QFileInfo(path).isDir());
}

TEST(GameplaySessionCoordinatorLifetimeTest, ALateAnswerForAReleasedCoordinatorVanishes)
{
    auto resolver = std::make_shared<FakeGameTitleResolver>();
    auto store = std::make_shared<InMemoryGameTitleStore>();
    auto coordinator = std::make_unique<GameplaySessionCoordinator>(std::make_shared<InMemoryCaptureAreaStore>(),
        nullptr, nullptr, settings(TranslationTargetLanguage::english), store, resolver);
    const CaptureTarget target = window(QStringLiteral("com.example.a"), QStringLiteral("One"));
    coordinator->resolveGameTitle(target);
    ASSERT_TRUE(waitUntil([&] { return resolver->calls.size() == 1; }));
    coordinator.reset();
    EXPECT_TRUE(resolver->calls[0]->token.isCancelled());
    resolver->calls[0]->succeed(GameTitleResolution(QStringLiteral("One"), QStringLiteral("Game One")));
    settle();
    EXPECT_TRUE(store->resolutions().isEmpty());
}

TEST(GameplaySessionForwardingTest, EventsReachTheSessionWhileBothExist)
{
    auto pipeline = std::make_shared<FakeCapturePipeline>();
    auto coordinator
        = std::make_unique<GameplaySessionCoordinator>(std::make_shared<InMemoryCaptureAreaStore>(), pipeline, nullptr,
            settings(TranslationTargetLanguage::english), std::make_shared<InMemoryGameTitleStore>(), nullptr);
    pipeline->setOnEvent(forwardCaptureEventToGameplaySession(coordinator.get()));
    const auto translationForward = forwardTranslationEventToGameplaySession(coordinator.get());

    const CapturePipelineEvent changed
        = CapturePipelineEvent::textChanged({QStringLiteral("box"), QStringLiteral("Hello"), std::nullopt});
    const TranslationCoordinatorEvent failed
        = TranslationCoordinatorEvent::failed(QStringLiteral("box"), QStringLiteral("Hello"));

    // Without handlers the events go nowhere.
    pipeline->emitEvent(changed);
    translationForward(failed);

    std::vector<CapturePipelineEvent> captureEvents;
    std::vector<TranslationCoordinatorEvent> translationEvents;
    coordinator->setOnCaptureEvent([&](const CapturePipelineEvent &event) { captureEvents.push_back(event); });
    coordinator->setOnTranslationEvent(
        [&](const TranslationCoordinatorEvent &event) { translationEvents.push_back(event); });
    pipeline->emitEvent(changed);
    pipeline->emitEvent(CapturePipelineEvent::targetUnavailable());
    translationForward(failed);
    EXPECT_EQ(captureEvents, std::vector<CapturePipelineEvent>({changed, CapturePipelineEvent::targetUnavailable()}));
    EXPECT_EQ(translationEvents, std::vector<TranslationCoordinatorEvent>{failed});

    // A handler may replace itself while it runs.
    coordinator->setOnCaptureEvent([&](const CapturePipelineEvent &) { coordinator->setOnCaptureEvent({}); });
    pipeline->emitEvent(changed);
    EXPECT_FALSE(coordinator->onCaptureEvent());

    // Once the coordinator is gone the callbacks do nothing.
    coordinator.reset();
    pipeline->emitEvent(changed);
    translationForward(failed);
    EXPECT_EQ(captureEvents.size(), 2u);
    EXPECT_EQ(translationEvents.size(), 1u);
}

// One dialogue line from the capture loop to its translation, with the real clients
// over the loopback stand-in.
TEST(GameplaySessionEndToEndTest, ADialogueLineIsTranslatedWithTheGameTitle)
{
    ServiceStandIn standIn;
    standIn.setDefaultResponse("POST", gameTitleResolvePath,
        ScriptedResponse::json(gameTitleAnswer(QStringLiteral("Dragon  Quest"), QStringLiteral("DRAGON QUEST XI"))));
    standIn.setDefaultResponder("POST", translationsPath, translatingResponder());
    const ServerConfiguration server(standIn.url());
    QTemporaryDir folder;
    const QUrl cacheFile = QUrl::fromLocalFile(folder.path() + QStringLiteral("/Obrisk/game-titles.json"));

    CaptureTarget game = window(QStringLiteral("com.example.dq"), QStringLiteral("DRAGON QUEST XI S"));
    game.executableURL = QUrl::fromLocalFile(QStringLiteral("/opt/dq/bin/../dq"));

    // One gameplay session as the application session runs it.
    auto runSession = [&](std::vector<TranslationCoordinatorEvent> &translated) {
        auto pipeline = std::make_shared<FakeCapturePipeline>();
        auto translator = std::make_shared<TranslationCoordinator>(std::make_shared<HTTPTranslationClient>(server));
        GameplaySessionCoordinator session(std::make_shared<InMemoryCaptureAreaStore>(), pipeline, translator,
            settings(TranslationTargetLanguage::japanese), std::make_shared<FileGameTitleStore>(cacheFile),
            std::make_shared<HTTPGameTitleResolver>(server));
        pipeline->setOnEvent(forwardCaptureEventToGameplaySession(&session));
        translator->setOnEvent(forwardTranslationEventToGameplaySession(&session));
        session.setOnCaptureEvent([&session](const CapturePipelineEvent &event) {
            if (event.kind() == CapturePipelineEvent::Kind::textChanged) {
                session.translationCoordinator()->submitTranslation(event.text().areaID, event.text().text,
                    session.representativeGameName(), session.translationSettings()->targetLanguage(), false);
            }
        });
        session.setOnTranslationEvent(
            [&translated](const TranslationCoordinatorEvent &event) { translated.push_back(event); });

        session.resolveGameTitle(game);
        EXPECT_TRUE(waitUntil([&] { return session.representativeGameName().has_value(); }));
        session.start(game, profileFor(game));
        EXPECT_EQ(pipeline->starts.size(), 1);
        pipeline->emitEvent(CapturePipelineEvent::textChanged(
            {QStringLiteral("box"), QStringLiteral("The journey  begins."), std::nullopt}));
        EXPECT_TRUE(waitUntil([&] { return !translated.empty(); }));

        pipeline->stop();
        translator->cancelAllTranslations();
        session.resetGameTitle();
    };

    std::vector<TranslationCoordinatorEvent> first;
    runSession(first);
    const QList<RecordedRequest> resolves = standIn.requests("POST", gameTitleResolvePath);
    ASSERT_EQ(resolves.size(), 1);
    EXPECT_EQ(resolvedMetadataText(resolves[0]),
        QStringLiteral(R"({"application_name":"Game App","bundle_identifier":"com.example.dq",)"
                       R"("executable_path":"/opt/dq/dq","window_title":"DRAGON QUEST XI S"})"));
    const QList<RecordedRequest> translations = standIn.requests("POST", translationsPath);
    ASSERT_EQ(translations.size(), 1);
    EXPECT_EQ(translations[0].body,
        QByteArray(R"({"text":"The journey begins.","game_title":"DRAGON QUEST XI","target_language":"ja"})"));
    ASSERT_EQ(first.size(), 1u);
    ASSERT_TRUE(first[0].translation);
    EXPECT_EQ(first[0].areaID, QStringLiteral("box"));
    EXPECT_EQ(first[0].translation->translatedText, QStringLiteral("[ja] The journey begins."));
    EXPECT_EQ(first[0].translation->gameTitle, QStringLiteral("DRAGON QUEST XI"));
    EXPECT_EQ(first[0].translation->targetLanguage, TranslationTargetLanguage::japanese);

    // A second session for the same game window, after a restart: the title comes from
    // the file, and nothing is asked of the server.
    std::vector<TranslationCoordinatorEvent> second;
    runSession(second);
    EXPECT_EQ(standIn.requests("POST", gameTitleResolvePath).size(), 1);
    ASSERT_EQ(standIn.requests("POST", translationsPath).size(), 2);
    EXPECT_EQ(standIn.requests("POST", translationsPath)[1].jsonBody().value(QStringLiteral("game_title")).toString(),
        QStringLiteral("DRAGON QUEST XI"));
    ASSERT_EQ(second.size(), 1u);
}
