// Test label: unit
#include "translation/translations/HTTPTranslationClient.h"
#include "foundation/json/JsonDecoding.h"
#include "support/ClientTeardown.h"
#include "support/RunTask.h"
#include "support/ServiceStandIn.h"
#include "support/TimeoutOverridingTransport.h"
#include "support/TranslationServiceScript.h"
#include "translation/http/HTTPTransportError.h"
#include "translation/http/QtNetworkHTTPTransport.h"
#include "translation/translations/FixtureTranslationProvider.h"
#include "translation/translations/TranslationClientError.h"
#include "translation/translations/UnavailableTranslationProvider.h"

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;
using namespace std::chrono_literals;

namespace {

const QUuid knownID = QUuid::fromString(QStringLiteral("6f1c2a9e-3b4d-4e5f-8a7b-9c0d1e2f3a4b"));

class HTTPTranslationClientTest : public ::testing::Test
{
protected:
    HTTPTranslationClient client(const QString &basePath = QStringLiteral("/"))
    {
        return HTTPTranslationClient(ServerConfiguration(m_standIn.url(basePath)));
    }

    TranslationResponse translate(HTTPTranslationClient &client, const QString &text,
        std::optional<QString> gameTitle = std::nullopt,
        TranslationTargetLanguage language = TranslationTargetLanguage::korean)
    {
        return runTask(client.translate(text, std::move(gameTitle), language, {}));
    }

    // The error of the given type a translation ends with.
    template <typename Error>
    std::optional<Error> failure(HTTPTranslationClient &client, const QString &text)
    {
        try {
            translate(client, text);
        } catch (const Error &error) {
            return error;
        } catch (const std::exception &other) {
            ADD_FAILURE() << "unexpected error: " << other.what();
            return std::nullopt;
        }
        ADD_FAILURE() << "the translation succeeded";
        return std::nullopt;
    }

    void answerNext(const QJsonObject &answer)
    {
        m_standIn.enqueueResponse("POST", translationsPath, ScriptedResponse::json(answer));
    }

    QJsonObject validAnswer() const
    {
        return translationAnswer(QStringLiteral("Hello"), QStringLiteral("안녕하세요"), QStringLiteral("ko"), knownID);
    }

    ServiceStandIn m_standIn;
};

} // namespace

TEST_F(HTTPTranslationClientTest, RequestWireFormat)
{
    auto timing = std::make_shared<TimeoutOverridingTransport>(std::make_shared<QtNetworkHTTPTransport>(), 15s);
    HTTPTranslationClient atBasePath(ServerConfiguration(m_standIn.url(QStringLiteral("/api/base"))), nullptr, timing);
    m_standIn.enqueueResponse("POST", QStringLiteral("/api/base") + translationsPath,
        ScriptedResponse::json(translationAnswer(
            QStringLiteral("Hello  world"), QStringLiteral("안녕 세상"), QStringLiteral("ko"), knownID)));

    const TranslationResponse response = translate(atBasePath, QStringLiteral("  Hello \n\t world  "));

    const QList<RecordedRequest> received = m_standIn.requests();
    ASSERT_EQ(received.size(), 1);
    const RecordedRequest &request = received[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, QStringLiteral("/api/base/v1/app/translations"));
    EXPECT_EQ(request.header("Accept"), QByteArray("application/json"));
    EXPECT_EQ(request.header("Content-Type"), QByteArray("application/json"));
    EXPECT_FALSE(request.header("Authorization"));
    // Keys in order, the text normalised, an absent title as null.
    EXPECT_EQ(request.body, QByteArray(R"({"text":"Hello world","game_title":null,"target_language":"ko"})"));
    EXPECT_EQ(timing->originalTimeout, 15s);

    EXPECT_EQ(response.translationID, knownID);
    EXPECT_EQ(response.sourceText, QStringLiteral("Hello world"));
    EXPECT_EQ(response.translatedText, QStringLiteral("안녕 세상"));
    EXPECT_EQ(response.sourceLanguage, QStringLiteral("auto"));
    EXPECT_EQ(response.targetLanguage, TranslationTargetLanguage::korean);
    EXPECT_FALSE(response.fromCache);

    // A title goes out as given, neither trimmed nor normalised; quotes and non-ASCII
    // text are escaped as JSON.
    HTTPTranslationClient plain = client();
    answerNext(validAnswer());
    translate(plain, QStringLiteral("Say \"hi\" / 夜"), QStringLiteral(" Final  Fantasy\n"),
        TranslationTargetLanguage::japanese);
    const QJsonObject sent = m_standIn.requests().last().jsonBody();
    EXPECT_EQ(sent.value(QStringLiteral("text")).toString(), QStringLiteral("Say \"hi\" / 夜"));
    EXPECT_EQ(sent.value(QStringLiteral("game_title")).toString(), QStringLiteral(" Final  Fantasy\n"));
    EXPECT_EQ(sent.value(QStringLiteral("target_language")).toString(), QStringLiteral("ja"));
    EXPECT_EQ(m_standIn.requests().last().path, translationsPath);
}

TEST_F(HTTPTranslationClientTest, AnyStatusButOkFails)
{
    HTTPTranslationClient translator = client();
    for (int status : {201, 202, 204, 400, 401, 404, 429, 500, 503}) {
        m_standIn.enqueueResponse("POST", translationsPath, ScriptedResponse::json(validAnswer(), status));
        const auto error = failure<TranslationClientError>(translator, QStringLiteral("Hello"));
        ASSERT_TRUE(error);
        EXPECT_EQ(error->kind(), TranslationClientError::Kind::unexpectedStatusCode);
        EXPECT_EQ(error->statusCode(), status);
        EXPECT_EQ(error->message(), QStringLiteral("The translation server returned HTTP status %1.").arg(status));
    }
}

TEST_F(HTTPTranslationClientTest, ResponseDecoding)
{
    HTTPTranslationClient translator = client();

    // Optional identifier: absent or null gives none; unknown keys are ignored.
    QJsonObject answer = validAnswer();
    answer.remove(QStringLiteral("translation_id"));
    answer.insert(QStringLiteral("model"), QStringLiteral("unused"));
    answerNext(answer);
    EXPECT_FALSE(translate(translator, QStringLiteral("Hello")).translationID);
    answer.insert(QStringLiteral("translation_id"), QJsonValue::Null);
    answer.insert(QStringLiteral("from_cache"), true);
    answerNext(answer);
    const TranslationResponse cached = translate(translator, QStringLiteral("Hello"));
    EXPECT_FALSE(cached.translationID);
    EXPECT_TRUE(cached.fromCache);

    // Missing required keys and values of the wrong type fail to decode.
    const std::vector<std::pair<QString, QJsonValue>> broken{
        {QStringLiteral("source_text"), QJsonValue::Undefined},
        {QStringLiteral("translated_text"), QJsonValue::Undefined},
        {QStringLiteral("source_language"), QJsonValue::Undefined},
        {QStringLiteral("target_language"), QJsonValue::Undefined},
        {QStringLiteral("from_cache"), QJsonValue::Undefined},
        {QStringLiteral("source_text"), 7},
        {QStringLiteral("translated_text"), QJsonValue::Null},
        {QStringLiteral("source_language"), false},
        {QStringLiteral("target_language"), QStringLiteral("fr")},
        {QStringLiteral("target_language"), QStringLiteral("KO")},
        {QStringLiteral("from_cache"), QStringLiteral("false")},
        {QStringLiteral("from_cache"), 0},
        {QStringLiteral("translation_id"), QStringLiteral("not-a-uuid")},
        {QStringLiteral("translation_id"), QStringLiteral("{6f1c2a9e-3b4d-4e5f-8a7b-9c0d1e2f3a4b}")},
        {QStringLiteral("translation_id"), 12},
    };
    for (const auto &[key, value] : broken) {
        QJsonObject wrong = validAnswer();
        if (value.isUndefined()) {
            wrong.remove(key);
        } else {
            wrong.insert(key, value);
        }
        answerNext(wrong);
        EXPECT_TRUE(failure<DecodingError>(translator, QStringLiteral("Hello"))) << key.toStdString();
    }
    for (const QByteArray &body : {QByteArray("not json"), QByteArray("[]"), QByteArray()}) {
        m_standIn.enqueueResponse("POST", translationsPath, ScriptedResponse::raw(200, body));
        EXPECT_TRUE(failure<DecodingError>(translator, QStringLiteral("Hello"))) << body.toStdString();
    }
}

TEST_F(HTTPTranslationClientTest, TranslationIsCleanedAndMustNotBeEmpty)
{
    HTTPTranslationClient translator = client();
    answerNext(translationAnswer(
        QStringLiteral(" Two \n lines "), QStringLiteral("\u3000 First\r\nSecond\rThird \r"), QStringLiteral("en")));
    const TranslationResponse response = translate(translator, QStringLiteral("Two lines"));
    EXPECT_EQ(response.translatedText, QStringLiteral("First\nSecond\nThird"));
    EXPECT_EQ(response.sourceText, QStringLiteral("Two lines"));
    // The server's echo of the language is kept as it came.
    EXPECT_EQ(response.targetLanguage, TranslationTargetLanguage::english);

    answerNext(translationAnswer(QStringLiteral("Hello"), QStringLiteral(" \r\n\t\u2028\r "), QStringLiteral("ko")));
    const auto error = failure<TranslationClientError>(translator, QStringLiteral("Hello"));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), TranslationClientError::Kind::emptyTranslation);
    EXPECT_EQ(error->message(), QStringLiteral("The translation server returned an empty translation."));
}

TEST_F(HTTPTranslationClientTest, UnsendableTextsAreRefusedWithoutARequest)
{
    HTTPTranslationClient translator = client();
    for (const QString &text : {QString(), QStringLiteral(" \n\u3000\t "), QString(4001, QLatin1Char('a')),
             QStringLiteral("👍🏽").repeated(4001)}) {
        const auto error = failure<TranslationClientError>(translator, text);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->kind(), TranslationClientError::Kind::invalidSourceText);
        EXPECT_EQ(error->message(), QStringLiteral("The source text cannot be translated."));
    }
    EXPECT_EQ(m_standIn.requestCount(), 0);

    // 4000 user-perceived characters are sent, however many scalars each holds; so is a
    // longer text whose whitespace collapses to 4000.
    m_standIn.setDefaultResponder("POST", translationsPath, translatingResponder());
    translate(translator, QStringLiteral("👍🏽").repeated(4000));
    translate(translator, QString(3998, QLatin1Char('a')) + QStringLiteral(" \n\n\t b"));
    EXPECT_EQ(m_standIn.requestCount(), 2);
}

TEST_F(HTTPTranslationClientTest, TransportFailuresPassThrough)
{
    // A time-out is a network error, not a cancellation.
    auto shortTimeout = std::make_shared<TimeoutOverridingTransport>(std::make_shared<QtNetworkHTTPTransport>(), 1s);
    HTTPTranslationClient impatient(ServerConfiguration(m_standIn.url()), nullptr, shortTimeout);
    m_standIn.enqueueResponse("POST", translationsPath, ScriptedResponse::json(validAnswer()).heldUntilReleased());
    const auto timedOut = failure<HTTPTransportError>(impatient, QStringLiteral("Hello"));
    ASSERT_TRUE(timedOut);
    EXPECT_EQ(timedOut->kind(), HTTPTransportError::Kind::timedOut);
    ASSERT_TRUE(waitUntil([this] { return m_standIn.pendingResponseCount() == 0; }));

    // Cancelling the call aborts its connection.
    HTTPTranslationClient translator = client();
    m_standIn.enqueueResponse("POST", translationsPath, ScriptedResponse::json(validAnswer()).heldUntilReleased());
    const qsizetype before = m_standIn.requestCount();
    CancellationToken token;
    auto running
        = translator.translate(QStringLiteral("Hello"), std::nullopt, TranslationTargetLanguage::korean, token);
    ASSERT_TRUE(waitUntil([this] { return m_standIn.pendingResponseCount() == 1; }));
    ASSERT_EQ(m_standIn.requestCount(), before + 1);
    token.cancel();
    EXPECT_THROW(runTask(std::move(running)), CancellationError);
    EXPECT_TRUE(waitUntil([this, before] { return m_standIn.requests().value(before).clientDisconnected; }));
}

TEST(TranslationProviders, UnavailableAndFixture)
{
    UnavailableTranslationProvider unavailable;
    try {
        runTask(unavailable.translate(QStringLiteral("Hello"), std::nullopt, TranslationTargetLanguage::korean, {}));
        ADD_FAILURE() << "the unavailable provider translated";
    } catch (const TranslationClientError &error) {
        EXPECT_EQ(error.kind(), TranslationClientError::Kind::invalidConfiguration);
        EXPECT_EQ(error.message(), QStringLiteral("The translation server configuration is invalid."));
    }

    // Sleeps are recorded and skipped.
    class RecordingSleeper : public Sleeper
    {
    public:
        QCoro::Task<void> sleepUntil(Clock::time_point deadline, CancellationToken token) override
        {
            deadlines.push_back(deadline);
            token.throwIfCancelled();
            co_return;
        }
        std::vector<Clock::time_point> deadlines;
    };
    auto sleeper = std::make_shared<RecordingSleeper>();
    FixtureTranslationProvider fixture(sleeper);
    const auto translated = [&fixture](const QString &text, TranslationTargetLanguage language) {
        return runTask(fixture.translate(text, QStringLiteral("ignored"), language, {}));
    };
    const QString journey = QStringLiteral("The journey begins with a single decision.");
    const QString fate = QStringLiteral("運命が動き出す");
    EXPECT_EQ(translated(journey, TranslationTargetLanguage::korean).translatedText,
        QStringLiteral("여정은 하나의 결정에서 시작됩니다."));
    EXPECT_EQ(translated(fate, TranslationTargetLanguage::korean).translatedText,
        QStringLiteral("운명이 움직이기 시작합니다."));
    EXPECT_EQ(
        translated(QStringLiteral("Hi"), TranslationTargetLanguage::korean).translatedText, QStringLiteral("번역: Hi"));
    EXPECT_EQ(
        translated(journey, TranslationTargetLanguage::japanese).translatedText, QStringLiteral("翻訳: ") + journey);
    EXPECT_EQ(translated(journey, TranslationTargetLanguage::english).translatedText,
        QStringLiteral("The journey starts with one decision."));
    EXPECT_EQ(
        translated(fate, TranslationTargetLanguage::english).translatedText, QStringLiteral("Fate begins to move."));
    // Matched exactly: no normalisation.
    EXPECT_EQ(translated(QStringLiteral(" ") + fate, TranslationTargetLanguage::english).translatedText,
        QStringLiteral(" ") + fate);

    const auto before = Sleeper::Clock::now();
    const TranslationResponse response = translated(QStringLiteral("Hi"), TranslationTargetLanguage::japanese);
    const auto after = Sleeper::Clock::now();
    EXPECT_TRUE(response.translationID);
    EXPECT_EQ(response.sourceText, QStringLiteral("Hi"));
    EXPECT_EQ(response.sourceLanguage, QStringLiteral("auto"));
    EXPECT_EQ(response.targetLanguage, TranslationTargetLanguage::japanese);
    EXPECT_FALSE(response.fromCache);
    // Every answer waited four seconds.
    ASSERT_EQ(sleeper->deadlines.size(), 8u);
    EXPECT_GE(sleeper->deadlines.back(), before + 4s);
    EXPECT_LE(sleeper->deadlines.back(), after + 4s);

    // A cancelled sleep ends the translation.
    CancellationToken cancelled;
    cancelled.cancel();
    FixtureTranslationProvider timed;
    EXPECT_THROW(
        runTask(timed.translate(QStringLiteral("Hi"), std::nullopt, TranslationTargetLanguage::korean, cancelled)),
        CancellationError);
}

TEST_F(HTTPTranslationClientTest, ADestroyedClientEndsItsRequestQuietly)
{
    m_standIn.enqueueResponse("POST", translationsPath, ScriptedResponse::json(validAnswer()).heldUntilReleased());
    const auto outcome = destroyWhileInFlight(m_standIn,
        std::make_unique<HTTPTranslationClient>(ServerConfiguration(m_standIn.url())),
        [](HTTPTranslationClient &client, const CancellationToken &token) {
            return client.translate(QStringLiteral("Hello"), std::nullopt, TranslationTargetLanguage::korean, token);
        });
    EXPECT_TRUE(outcome->failedWith<CancellationError>());
}
