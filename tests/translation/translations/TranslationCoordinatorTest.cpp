// Test label: unit
#include "translation/translations/TranslationCoordinator.h"
#include "support/LogCapture.h"
#include "support/RunTask.h"
#include "support/ServiceStandIn.h"
#include "support/TimeoutOverridingTransport.h"
#include "support/TranslationServiceScript.h"
#include "translation/http/QtNetworkHTTPTransport.h"
#include "translation/translations/HTTPTranslationClient.h"
#include "translation/translations/TranslationClientError.h"
#include "translation/translations/UnavailableTranslationProvider.h"

#include <gtest/gtest.h>

#include <coroutine>

using namespace veyra;
using namespace veyra::test;
using namespace std::chrono_literals;

namespace {

// A provider whose calls finish only when the test says so. Like a server whose answer
// is already on its way, it pays no attention to cancellation, so the coordinator
// alone must drop what is stale.
class ManualTranslationProvider : public TranslationProviding
{
public:
    struct Call
    {
        QString text;
        std::optional<QString> gameTitle;
        TranslationTargetLanguage targetLanguage;
        CancellationToken token;
        std::optional<TranslationResponse> response;
        std::exception_ptr error;
        bool finished = false;
        std::coroutine_handle<> waiter;

        void succeed(const QString &translatedText, std::optional<QUuid> translationID = std::nullopt)
        {
            TranslationResponse answer;
            answer.translationID = translationID;
            // The server's echo differs from the request on purpose.
            answer.sourceText = QStringLiteral("echo of ") + text;
            answer.translatedText = translatedText;
            answer.sourceLanguage = QStringLiteral("auto");
            answer.targetLanguage = TranslationTargetLanguage::english;
            response = answer;
            finish();
        }
        void fail(std::exception_ptr failure)
        {
            error = std::move(failure);
            finish();
        }
        void finish()
        {
            finished = true;
            if (waiter) {
                std::exchange(waiter, {}).resume();
            }
        }
    };

    struct Awaiter
    {
        std::shared_ptr<Call> call;
        bool await_ready() const noexcept { return call->finished; }
        void await_suspend(std::coroutine_handle<> handle) { call->waiter = handle; }
        void await_resume() const { }
    };

    QCoro::Task<TranslationResponse> translate(QString text, std::optional<QString> gameTitle,
        TranslationTargetLanguage targetLanguage, CancellationToken token) override
    {
        auto call = std::make_shared<Call>();
        call->text = text;
        call->gameTitle = gameTitle;
        call->targetLanguage = targetLanguage;
        call->token = token;
        calls.push_back(call);
        // A named awaiter: g++ 12 destroys a braced temporary of a co_await twice.
        Awaiter untilFinished{call};
        co_await untilFinished;
        if (call->error) {
            std::rethrow_exception(call->error);
        }
        co_return *call->response;
    }

    std::vector<std::shared_ptr<Call>> calls;
};

using Event = TranslationCoordinatorEvent;

// Lets the event loop run the tasks that were started but have not begun.
void settle()
{
    for (int round = 0; round < 5; ++round) {
        QCoreApplication::processEvents();
    }
}

class TranslationCoordinatorTest : public ::testing::Test
{
protected:
    TranslationCoordinatorTest()
        : m_provider(std::make_shared<ManualTranslationProvider>())
        , m_coordinator(m_provider)
    {
        m_coordinator.setOnEvent([this](const Event &event) { m_events.push_back(event); });
    }

    // Submits and lets the request begin (on a later turn of the event loop).
    void submit(const QString &area, const QString &text, bool force = false,
        TranslationTargetLanguage language = TranslationTargetLanguage::korean,
        std::optional<QString> title = QStringLiteral("Game"))
    {
        m_coordinator.submitTranslation(area, text, title, language, force);
        settle();
    }

    // Ends every call still waiting, so that no coroutine outlives the test.
    void TearDown() override
    {
        for (const auto &pending : m_provider->calls) {
            if (!pending->finished) {
                pending->fail(std::make_exception_ptr(CancellationError()));
            }
        }
    }

    ManualTranslationProvider::Call &call(size_t index) { return *m_provider->calls.at(index); }
    size_t callCount() const { return m_provider->calls.size(); }

    std::shared_ptr<ManualTranslationProvider> m_provider;
    TranslationCoordinator m_coordinator;
    std::vector<Event> m_events;
};

} // namespace

TEST_F(TranslationCoordinatorTest, DeliversTheLatestRequestOfAnArea)
{
    submit(QStringLiteral("box"), QStringLiteral("  Hello \n world "));
    ASSERT_EQ(callCount(), 1u);
    EXPECT_EQ(call(0).text, QStringLiteral("Hello world"));
    EXPECT_EQ(call(0).gameTitle, QStringLiteral("Game"));
    EXPECT_EQ(call(0).targetLanguage, TranslationTargetLanguage::korean);
    EXPECT_TRUE(m_coordinator.isTranslating(QStringLiteral("box")));

    const QUuid id = QUuid::createUuid();
    call(0).succeed(QStringLiteral(" First\r\nSecond\r"), id);
    ASSERT_EQ(m_events.size(), 1u);
    // Source text and language are the request's, the translation is cleaned.
    EXPECT_EQ(m_events[0],
        Event::succeeded(QStringLiteral("box"),
            CompletedTranslation{id, QStringLiteral("Hello world"), QStringLiteral("First\nSecond"),
                QStringLiteral("Game"), TranslationTargetLanguage::korean}));
    EXPECT_FALSE(m_coordinator.isTranslating(QStringLiteral("box")));
    EXPECT_TRUE(m_coordinator.latestRequest(QStringLiteral("box")));

    // An answer that is empty once cleaned fails with the request's text.
    submit(QStringLiteral("box"), QStringLiteral("Next"));
    call(1).succeed(QStringLiteral(" \r\n\r \n"));
    ASSERT_EQ(m_events.size(), 2u);
    EXPECT_EQ(m_events[1], Event::failed(QStringLiteral("box"), QStringLiteral("Next")));
}

TEST_F(TranslationCoordinatorTest, ANewTextSupersedesTheRunningRequest)
{
    submit(QStringLiteral("box"), QStringLiteral("A"));
    submit(QStringLiteral("box"), QStringLiteral("B"));
    ASSERT_EQ(callCount(), 2u);
    EXPECT_TRUE(call(0).token.isCancelled());
    EXPECT_FALSE(call(1).token.isCancelled());

    call(1).succeed(QStringLiteral("b"));
    // A's answer arrives late anyway and is dropped without a trace.
    call(0).succeed(QStringLiteral("a"));
    ASSERT_EQ(m_events.size(), 1u);
    EXPECT_EQ(m_events[0].translation->translatedText, QStringLiteral("b"));

    // A late failure of a superseded request is dropped too, and not logged.
    LogCapture log;
    submit(QStringLiteral("box"), QStringLiteral("C"));
    submit(QStringLiteral("box"), QStringLiteral("D"));
    call(2).fail(std::make_exception_ptr(TranslationClientError(TranslationClientError::Kind::invalidResponse)));
    EXPECT_EQ(m_events.size(), 1u);
    EXPECT_TRUE(log.messages(QStringLiteral("Translation")).isEmpty());

    // Areas never cancel each other.
    submit(QStringLiteral("other"), QStringLiteral("E"));
    EXPECT_FALSE(call(3).token.isCancelled());
    call(4).succeed(QStringLiteral("e"));
    call(3).succeed(QStringLiteral("d"));
    ASSERT_EQ(m_events.size(), 3u);
    EXPECT_EQ(m_events[1].areaID, QStringLiteral("other"));
    EXPECT_EQ(m_events[2].areaID, QStringLiteral("box"));
}

TEST_F(TranslationCoordinatorTest, TheSameTextIsNotSentTwiceUnlessForced)
{
    submit(QStringLiteral("box"), QStringLiteral("Same  text"));
    submit(QStringLiteral("box"), QStringLiteral("\tSame\ntext "));
    // Another language or title does not make it another text.
    submit(QStringLiteral("box"), QStringLiteral("Same text"), false, TranslationTargetLanguage::japanese,
        QStringLiteral("Other"));
    EXPECT_EQ(callCount(), 1u);
    call(0).succeed(QStringLiteral("done"));
    submit(QStringLiteral("box"), QStringLiteral("Same text"));
    EXPECT_EQ(callCount(), 1u);

    // Forced: sent again, superseding; only the second answer counts.
    m_coordinator.resubmitTranslation(
        QStringLiteral("box"), QStringLiteral("Same text"), QStringLiteral("Game"), TranslationTargetLanguage::korean);
    settle();
    submit(QStringLiteral("box"), QStringLiteral("Same text"), true);
    ASSERT_EQ(callCount(), 3u);
    EXPECT_TRUE(call(1).token.isCancelled());
    call(1).succeed(QStringLiteral("first"));
    call(2).succeed(QStringLiteral("second"));
    ASSERT_EQ(m_events.size(), 2u);
    EXPECT_EQ(m_events[1].translation->translatedText, QStringLiteral("second"));

    // An empty text changes nothing: the running request goes on and delivers.
    submit(QStringLiteral("box"), QStringLiteral("Fresh"));
    submit(QStringLiteral("box"), QStringLiteral(" \n\u3000"));
    EXPECT_EQ(callCount(), 4u);
    EXPECT_FALSE(call(3).token.isCancelled());
    call(3).succeed(QStringLiteral("fresh"));
    EXPECT_EQ(m_events.size(), 3u);

    // Texts compare in their NFC form: a decomposed "é" is the same text.
    submit(QStringLiteral("accent"), QStringLiteral("Caf\u00e9"));
    submit(QStringLiteral("accent"), QStringLiteral("Cafe\u0301"));
    EXPECT_EQ(callCount(), 5u);
    EXPECT_FALSE(call(4).token.isCancelled());
}

TEST_F(TranslationCoordinatorTest, TextsOverTheLimitFailAtOnce)
{
    // Four thousand family emoji of five scalars each are four thousand characters.
    const QString family = QStringLiteral("👩‍👩‍👧");
    submit(QStringLiteral("box"), family.repeated(4000));
    ASSERT_EQ(callCount(), 1u);
    EXPECT_EQ(call(0).text.size(), family.size() * 4000);

    // One more character: a failure before submitTranslation returns, no request, and
    // the running request is superseded.
    const QString tooLong = family.repeated(4000) + QStringLiteral("!");
    submit(QStringLiteral("box"), tooLong);
    EXPECT_EQ(callCount(), 1u);
    EXPECT_TRUE(call(0).token.isCancelled());
    ASSERT_EQ(m_events.size(), 1u);
    EXPECT_EQ(m_events[0], Event::failed(QStringLiteral("box"), tooLong));
    EXPECT_FALSE(m_coordinator.isTranslating(QStringLiteral("box")));

    // The same over-long text again is ignored; forced, it fails again.
    submit(QStringLiteral("box"), tooLong);
    EXPECT_EQ(m_events.size(), 1u);
    submit(QStringLiteral("box"), tooLong, true);
    EXPECT_EQ(m_events.size(), 2u);

    // Whitespace collapses before counting.
    submit(QStringLiteral("box"), QString(3998, QLatin1Char('a')) + QStringLiteral(" \n \t b"));
    EXPECT_EQ(callCount(), 2u);
}

TEST_F(TranslationCoordinatorTest, FailuresAreReportedAndLogged)
{
    LogCapture log;
    submit(QStringLiteral("box"), QStringLiteral("Hello"));
    call(0).fail(std::make_exception_ptr(TranslationClientError::unexpectedStatusCode(502)));
    ASSERT_EQ(m_events.size(), 1u);
    EXPECT_EQ(m_events[0], Event::failed(QStringLiteral("box"), QStringLiteral("Hello")));
    EXPECT_EQ(log.messages(QStringLiteral("Translation")),
        QStringList{QStringLiteral("Translation failed: The translation server returned HTTP status 502.")});

    // A cancellation the provider reports on its own is not a failure.
    submit(QStringLiteral("box"), QStringLiteral("Again"));
    call(1).fail(std::make_exception_ptr(CancellationError()));
    EXPECT_EQ(m_events.size(), 1u);
    EXPECT_EQ(log.messages(QStringLiteral("Translation")).size(), 1);
}

TEST_F(TranslationCoordinatorTest, CancelAllForgetsEverything)
{
    submit(QStringLiteral("one"), QStringLiteral("A"));
    submit(QStringLiteral("two"), QStringLiteral("B"));
    m_coordinator.cancelAllTranslations();
    EXPECT_TRUE(call(0).token.isCancelled());
    EXPECT_TRUE(call(1).token.isCancelled());
    EXPECT_FALSE(m_coordinator.latestRequest(QStringLiteral("one")));
    call(0).succeed(QStringLiteral("a"));
    call(1).fail(std::make_exception_ptr(TranslationClientError(TranslationClientError::Kind::invalidResponse)));
    EXPECT_TRUE(m_events.empty());

    // The same text is translated again afterwards.
    submit(QStringLiteral("one"), QStringLiteral("A"));
    ASSERT_EQ(callCount(), 3u);
    call(2).succeed(QStringLiteral("a"));
    EXPECT_EQ(m_events.size(), 1u);
}

TEST_F(TranslationCoordinatorTest, WithoutAHandlerOrAnOwnerNothingIsDelivered)
{
    m_coordinator.setOnEvent({});
    submit(QStringLiteral("box"), QStringLiteral("A"));
    call(0).succeed(QStringLiteral("a"));
    submit(QStringLiteral("box"), QString(4001, QLatin1Char('x')));
    EXPECT_TRUE(m_events.empty());

    // A coordinator that is gone cancels its requests; their late answers go nowhere.
    std::vector<Event> events;
    auto transient = std::make_unique<TranslationCoordinator>(m_provider);
    transient->setOnEvent([&events](const Event &event) { events.push_back(event); });
    transient->submitTranslation(
        QStringLiteral("box"), QStringLiteral("B"), std::nullopt, TranslationTargetLanguage::english, false);
    settle();
    transient.reset();
    ASSERT_EQ(callCount(), 2u);
    EXPECT_TRUE(call(1).token.isCancelled());
    call(1).succeed(QStringLiteral("b"));
    EXPECT_TRUE(events.empty());
}

TEST(TranslationCoordinatorStartTest, OutcomesArriveOnlyAfterSubmitTranslationReturns)
{
    // A provider that fails at once: its failure still comes on a later turn.
    TranslationCoordinator coordinator(std::make_shared<UnavailableTranslationProvider>());
    std::vector<Event> events;
    coordinator.setOnEvent([&events](const Event &event) { events.push_back(event); });
    coordinator.submitTranslation(
        QStringLiteral("box"), QStringLiteral("Hello"), std::nullopt, TranslationTargetLanguage::korean, false);
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(coordinator.isTranslating(QStringLiteral("box")));
    ASSERT_TRUE(waitUntil([&events] { return !events.empty(); }));
    EXPECT_EQ(events, std::vector<Event>{Event::failed(QStringLiteral("box"), QStringLiteral("Hello"))});
    EXPECT_FALSE(coordinator.isTranslating(QStringLiteral("box")));

    // A text superseded before its request began is never sent.
    auto provider = std::make_shared<ManualTranslationProvider>();
    TranslationCoordinator manual(provider);
    manual.submitTranslation(
        QStringLiteral("box"), QStringLiteral("A"), std::nullopt, TranslationTargetLanguage::korean, false);
    manual.submitTranslation(
        QStringLiteral("box"), QStringLiteral("B"), std::nullopt, TranslationTargetLanguage::korean, false);
    settle();
    ASSERT_EQ(provider->calls.size(), 1u);
    EXPECT_EQ(provider->calls[0]->text, QStringLiteral("B"));
    provider->calls[0]->fail(std::make_exception_ptr(CancellationError()));
}

// The whole road over real HTTP: coordinator, client, transport and the stand-in.
class TranslationOverLoopbackTest : public ::testing::Test
{
protected:
    void build(std::shared_ptr<HTTPTransport> transport)
    {
        m_coordinator = std::make_unique<TranslationCoordinator>(
            std::make_shared<HTTPTranslationClient>(ServerConfiguration(m_standIn.url()), nullptr, transport));
        m_coordinator->setOnEvent([this](const Event &event) { m_events.push_back(event); });
    }

    void submit(const QString &area, const QString &text)
    {
        m_coordinator->submitTranslation(area, text, std::nullopt, TranslationTargetLanguage::japanese, false);
    }

    ServiceStandIn m_standIn;
    std::unique_ptr<TranslationCoordinator> m_coordinator;
    std::vector<Event> m_events;
};

TEST_F(TranslationOverLoopbackTest, ASupersededRequestIsAbortedAndOnlyTheLatestArrives)
{
    build(nullptr);
    m_standIn.enqueueResponse("POST", translationsPath,
        ScriptedResponse::json(translationAnswer(QStringLiteral("A"), QStringLiteral("stale"), QStringLiteral("ja")))
            .heldUntilReleased());
    m_standIn.setDefaultResponder("POST", translationsPath, translatingResponder());

    submit(QStringLiteral("box"), QStringLiteral("A"));
    ASSERT_TRUE(waitUntil([this] { return m_standIn.pendingResponseCount() == 1; }));
    submit(QStringLiteral("box"), QStringLiteral("B"));
    submit(QStringLiteral("side"), QStringLiteral("C"));
    ASSERT_TRUE(waitUntil([this] { return m_events.size() == 2; }));
    // A's connection was closed while its answer was held back.
    EXPECT_TRUE(waitUntil([this] { return m_standIn.requests().value(0).clientDisconnected; }));
    m_standIn.releaseHeldResponses();

    std::sort(m_events.begin(), m_events.end(), [](const Event &a, const Event &b) { return a.areaID < b.areaID; });
    EXPECT_EQ(m_events[0].areaID, QStringLiteral("box"));
    EXPECT_EQ(m_events[0].translation->translatedText, QStringLiteral("[ja] B"));
    EXPECT_EQ(m_events[1].translation->translatedText, QStringLiteral("[ja] C"));
    const QList<RecordedRequest> sent = m_standIn.requests();
    ASSERT_EQ(sent.size(), 3);
    EXPECT_EQ(sent[0].jsonBody().value(QStringLiteral("game_title")), QJsonValue(QJsonValue::Null));
}

TEST_F(TranslationOverLoopbackTest, TimeOutsAndErrorStatusesEndInAFailedEvent)
{
    LogCapture log;
    const auto transport
        = std::make_shared<TimeoutOverridingTransport>(std::make_shared<QtNetworkHTTPTransport>(), 300ms);
    build(transport);
    m_standIn.enqueueResponse("POST", translationsPath,
        ScriptedResponse::json(translationAnswer(QStringLiteral("A"), QStringLiteral("late"), QStringLiteral("ja")))
            .heldUntilReleased());
    m_standIn.enqueueResponse("POST", translationsPath, ScriptedResponse::raw(500, "{\"error\":\"down\"}"));

    // A time-out must not leave the area waiting forever.
    submit(QStringLiteral("box"), QStringLiteral("A"));
    ASSERT_TRUE(waitUntil([this] { return m_events.size() == 1; }));
    EXPECT_EQ(m_events[0], Event::failed(QStringLiteral("box"), QStringLiteral("A")));

    // The error status must be what ends the second request, however slowly a loaded machine
    // brings it.
    transport->setTimeout(transport->originalTimeout);
    submit(QStringLiteral("box"), QStringLiteral("B"));
    ASSERT_TRUE(waitUntil([this] { return m_events.size() == 2; }));
    EXPECT_EQ(m_events[1], Event::failed(QStringLiteral("box"), QStringLiteral("B")));

    EXPECT_EQ(log.messages(QStringLiteral("Translation")),
        (QStringList{QStringLiteral("Translation failed: The request to the server timed out."),
            QStringLiteral("Translation failed: The translation server returned HTTP status 500.")}));
}

TEST_F(TranslationOverLoopbackTest, CancelAllAbortsEveryConnection)
{
    build(nullptr);
    for (int i = 0; i < 2; ++i) {
        m_standIn.enqueueResponse("POST", translationsPath,
            ScriptedResponse::json(translationAnswer(QStringLiteral("X"), QStringLiteral("x"), QStringLiteral("ja")))
                .heldUntilReleased());
    }
    submit(QStringLiteral("one"), QStringLiteral("A"));
    submit(QStringLiteral("two"), QStringLiteral("B"));
    ASSERT_TRUE(waitUntil([this] { return m_standIn.pendingResponseCount() == 2; }));
    m_coordinator->cancelAllTranslations();
    EXPECT_TRUE(waitUntil([this] {
        const QList<RecordedRequest> sent = m_standIn.requests();
        return sent.size() == 2 && sent[0].clientDisconnected && sent[1].clientDisconnected;
    }));
    m_standIn.releaseHeldResponses();
    // Give any stray answer the chance to arrive; none may.
    m_standIn.setDefaultResponder("POST", translationsPath, translatingResponder());
    submit(QStringLiteral("one"), QStringLiteral("A"));
    ASSERT_TRUE(waitUntil([this] { return !m_events.empty(); }));
    ASSERT_EQ(m_events.size(), 1u);
    EXPECT_EQ(m_events[0].translation->translatedText, QStringLiteral("[ja] A"));
}
