// Test label: unit
#include "foundation/json/JsonDecoding.h"
#include "support/ClientTeardown.h"
#include "support/GameTitleServiceScript.h"
#include "support/RunTask.h"
#include "support/ServiceStandIn.h"
#include "support/TimeoutOverridingTransport.h"
#include "translation/http/HTTPTransportError.h"
#include "translation/http/QtNetworkHTTPTransport.h"
#include "translation/titles/FixtureGameTitleResolver.h"
#include "translation/titles/GameTitleClientError.h"
#include "translation/titles/HTTPGameTitleResolver.h"
#include "translation/titles/UnavailableGameTitleResolver.h"
#include "translation/translations/TranslationText.h"

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;
using namespace std::chrono_literals;

namespace {

CaptureTarget target(const QString &applicationName, const QString &windowTitle,
    std::optional<QString> bundleIdentifier = std::nullopt, std::optional<QUrl> executableURL = std::nullopt)
{
    CaptureTarget window;
    window.windowID = 7;
    window.processID = 4242;
    window.applicationName = applicationName;
    window.windowTitle = windowTitle;
    window.bundleIdentifier = std::move(bundleIdentifier);
    window.executableURL = std::move(executableURL);
    window.frame = QRectF(0, 0, 1280, 720);
    return window;
}

// The error of the given type a resolution ends with.
template <typename Error>
std::optional<Error> failure(GameTitleResolving &resolver, const GameTitleWindowMetadata &metadata,
    CancellationToken token = CancellationToken())
{
    try {
        runTask(resolver.resolve(metadata, token));
    } catch (const Error &error) {
        return error;
    } catch (const std::exception &other) {
        ADD_FAILURE() << "unexpected error: " << other.what();
        return std::nullopt;
    }
    ADD_FAILURE() << "the resolution succeeded";
    return std::nullopt;
}

class HTTPGameTitleResolverTest : public ::testing::Test
{
protected:
    HTTPGameTitleResolver resolver() { return HTTPGameTitleResolver(ServerConfiguration(m_standIn.url())); }

    GameTitleResolution resolveAnswer(const QByteArray &body, int status = 200)
    {
        m_standIn.enqueueResponse("POST", gameTitleResolvePath, ScriptedResponse::raw(status, body));
        HTTPGameTitleResolver client = resolver();
        return runTask(client.resolve(m_metadata, {}));
    }

    template <typename Error>
    std::optional<Error> failingAnswer(const QByteArray &body, int status = 200)
    {
        m_standIn.enqueueResponse("POST", gameTitleResolvePath, ScriptedResponse::raw(status, body));
        HTTPGameTitleResolver client = resolver();
        return failure<Error>(client, m_metadata);
    }

    ServiceStandIn m_standIn;
    const GameTitleWindowMetadata m_metadata{
        QStringLiteral("Game"), QStringLiteral("Title"), std::nullopt, std::nullopt};
};

} // namespace

TEST(GameTitleWindowMetadataTest, DescribesTheTargetWindow)
{
    // Neither bundle identifier nor executable: both keys are still written, as null.
    const GameTitleWindowMetadata bare(target(QStringLiteral("  Game App"), QStringLiteral("  Chapter 1 ")));
    EXPECT_EQ(bare.applicationName, QStringLiteral("  Game App"));
    EXPECT_EQ(bare.windowTitle, QStringLiteral("  Chapter 1 "));
    EXPECT_EQ(bare.jsonText(),
        QStringLiteral(R"({"application_name":"  Game App","bundle_identifier":null,"executable_path":null,)"
                       R"("window_title":"  Chapter 1 "})"));

    // The bundle identifier loses its surrounding and repeated blanks; the executable's
    // path is standardised and its slashes stay unescaped.
    const GameTitleWindowMetadata full(target(QStringLiteral("Game"), QStringLiteral("夜の\"町\"\\"),
        QStringLiteral(" \tcom.example.\n  game "), QUrl::fromLocalFile(QStringLiteral("/opt/games/../Game Dir/run"))));
    EXPECT_EQ(full.bundleIdentifier, QStringLiteral("com.example. game"));
    EXPECT_EQ(full.executablePath, QStringLiteral("/opt/Game Dir/run"));
    EXPECT_EQ(full.jsonText(),
        QStringLiteral(R"({"application_name":"Game","bundle_identifier":"com.example. game",)"
                       R"("executable_path":"/opt/Game Dir/run","window_title":"夜の\"町\"\\"})"));

    // A bundle identifier of blanks only is absent; a control character is escaped.
    const GameTitleWindowMetadata blank(
        target(QStringLiteral("A\u0001"), QStringLiteral("B\n"), QStringLiteral(" \u3000 ")));
    EXPECT_FALSE(blank.bundleIdentifier);
    EXPECT_EQ(blank.jsonText(),
        QStringLiteral(R"({"application_name":"A\u0001","bundle_identifier":null,"executable_path":null,)"
                       R"("window_title":"B\n"})"));

    EXPECT_EQ(bare,
        GameTitleWindowMetadata(
            QStringLiteral("  Game App"), QStringLiteral("  Chapter 1 "), std::nullopt, std::nullopt));
    EXPECT_NE(bare,
        GameTitleWindowMetadata(
            QStringLiteral("  Game App"), QStringLiteral("  Chapter 1 "), QStringLiteral("x"), std::nullopt));
}

TEST(GameTitleResolutionTest, NamesAreNormalised)
{
    const GameTitleResolution spaced(
        QStringLiteral(" Final  Fantasy\tXIV "), QStringLiteral("\u3000FINAL FANTASY XIV\n"));
    EXPECT_EQ(spaced.extractedGameName(), QStringLiteral("Final Fantasy XIV"));
    EXPECT_EQ(spaced.representativeGameName(), QStringLiteral("FINAL FANTASY XIV"));

    const GameTitleResolution blank(QStringLiteral(" \n "), QString());
    EXPECT_FALSE(blank.extractedGameName());
    EXPECT_FALSE(blank.representativeGameName());
    EXPECT_EQ(blank, GameTitleResolution());

    // Only present names are encoded.
    EXPECT_EQ(GameTitleResolution(QStringLiteral("Game"), std::nullopt).toJson(),
        QJsonObject({{QStringLiteral("extracted_game_name"), QStringLiteral("Game")}}));
    EXPECT_TRUE(GameTitleResolution().toJson().isEmpty());
}

TEST_F(HTTPGameTitleResolverTest, RequestWireFormat)
{
    auto timing = std::make_shared<TimeoutOverridingTransport>(std::make_shared<QtNetworkHTTPTransport>(), 15s);
    HTTPGameTitleResolver client(ServerConfiguration(m_standIn.url(QStringLiteral("/api"))), nullptr, timing);
    m_standIn.enqueueResponse("POST", QStringLiteral("/api") + gameTitleResolvePath,
        ScriptedResponse::json(
            gameTitleAnswer(QStringLiteral("  Dragon   Quest "), QStringLiteral("DRAGON QUEST XI"))));

    const GameTitleWindowMetadata metadata(target(QStringLiteral("Game"), QStringLiteral(" Chapter \"1\""),
        std::nullopt, QUrl::fromLocalFile(QStringLiteral("/opt/game/./bin/game"))));
    const GameTitleResolution resolution = runTask(client.resolve(metadata, {}));

    const QList<RecordedRequest> received = m_standIn.requests();
    ASSERT_EQ(received.size(), 1);
    const RecordedRequest &request = received[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, QStringLiteral("/api/v1/app/game-titles/resolve"));
    EXPECT_EQ(request.header("Accept"), QByteArray("application/json"));
    EXPECT_EQ(request.header("Content-Type"), QByteArray("application/json"));
    // The metadata's JSON text is one JSON string inside "text": its quotation marks
    // escaped, and its slashes escaped by the body's encoder.
    EXPECT_EQ(request.body,
        QByteArray(R"({"text":"{\"application_name\":\"Game\",\"bundle_identifier\":null,)"
                   R"(\"executable_path\":\"\/opt\/game\/bin\/game\",\"window_title\":\" Chapter \\\"1\\\"\"}"})"));
    EXPECT_EQ(resolvedMetadataText(request), metadata.jsonText());
    EXPECT_EQ(timing->originalTimeout, 15s);

    EXPECT_EQ(resolution.extractedGameName(), QStringLiteral("Dragon Quest"));
    EXPECT_EQ(resolution.representativeGameName(), QStringLiteral("DRAGON QUEST XI"));
}

TEST_F(HTTPGameTitleResolverTest, ResponseHandling)
{
    // Names missing, null, or blank come back absent without an error.
    EXPECT_EQ(resolveAnswer("{}"), GameTitleResolution());
    EXPECT_EQ(resolveAnswer(R"({"extracted_game_name":null,"representative_game_name":null})"), GameTitleResolution());
    EXPECT_EQ(resolveAnswer(R"({"extracted_game_name":"Game","unknown":1})"),
        GameTitleResolution(QStringLiteral("Game"), std::nullopt));

    // A representative name needs an extracted one, also when that one is only blanks.
    for (const QByteArray &body : {QByteArray(R"({"representative_game_name":"Game"})"),
             QByteArray(R"({"extracted_game_name":null,"representative_game_name":"Game"})"),
             QByteArray(R"({"extracted_game_name":" \t ","representative_game_name":"Game"})")}) {
        const auto error = failingAnswer<GameTitleClientError>(body);
        ASSERT_TRUE(error) << body.toStdString();
        EXPECT_EQ(error->kind(), GameTitleClientError::Kind::invalidResponse);
        EXPECT_EQ(error->message(), QStringLiteral("The game-title server returned an invalid response."));
    }

    // A body of another shape is the decoder's error, not invalidResponse.
    for (const QByteArray &body : {QByteArray("not json"), QByteArray("[]"), QByteArray(),
             QByteArray(R"({"extracted_game_name":7})"), QByteArray(R"({"representative_game_name":["a"]})")}) {
        EXPECT_TRUE(failingAnswer<DecodingError>(body)) << body.toStdString();
    }

    // Only 200 is an answer.
    for (const int status : {201, 204, 400, 404, 500}) {
        const auto error = failingAnswer<GameTitleClientError>(R"({"extracted_game_name":"Game"})", status);
        ASSERT_TRUE(error) << status;
        EXPECT_EQ(error->kind(), GameTitleClientError::Kind::unexpectedStatusCode);
        EXPECT_EQ(error->statusCode(), status);
        EXPECT_EQ(error->message(), QStringLiteral("The game-title server returned HTTP status %1.").arg(status));
        EXPECT_EQ(*error, GameTitleClientError::unexpectedStatusCode(status));
        EXPECT_NE(*error, GameTitleClientError::unexpectedStatusCode(status + 1));
    }
}

TEST_F(HTTPGameTitleResolverTest, MetadataOverFourThousandCharactersIsRefusedWithoutARequest)
{
    m_standIn.setDefaultResponse(
        "POST", gameTitleResolvePath, ScriptedResponse::json(gameTitleAnswer(QStringLiteral("Game"), std::nullopt)));
    HTTPGameTitleResolver client = resolver();
    const qsizetype overhead = graphemeCount(GameTitleWindowMetadata(QString(), QString(), {}, {}).jsonText(), 10000);

    // Characters, not bytes or UTF-16 units: each of these is one character of four units.
    const QString character = QStringLiteral("👍🏽");
    const GameTitleWindowMetadata longest(QString(), character.repeated(4000 - overhead), {}, {});
    ASSERT_EQ(graphemeCount(longest.jsonText(), 10000), 4000);
    runTask(client.resolve(longest, {}));
    ASSERT_EQ(m_standIn.requestCount(), 1);
    EXPECT_EQ(resolvedMetadataText(m_standIn.requests()[0]), longest.jsonText());

    // Escape sequences count with their backslashes.
    for (const GameTitleWindowMetadata &tooLong :
        {GameTitleWindowMetadata(QString(), character.repeated(4001 - overhead), {}, {}),
            GameTitleWindowMetadata(QStringLiteral("\""), character.repeated(3999 - overhead), {}, {})}) {
        const auto error = failure<GameTitleClientError>(client, tooLong);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->kind(), GameTitleClientError::Kind::invalidMetadata);
        EXPECT_EQ(error->message(), QStringLiteral("The selected window metadata cannot be resolved."));
    }
    EXPECT_EQ(m_standIn.requestCount(), 1);
}

TEST_F(HTTPGameTitleResolverTest, TransportFailuresArePassedOn)
{
    // A time-out is a failure of the transport, not a cancellation.
    m_standIn.enqueueResponse("POST", gameTitleResolvePath,
        ScriptedResponse::json(gameTitleAnswer(QStringLiteral("Game"), std::nullopt)).heldUntilReleased());
    auto impatient = std::make_shared<TimeoutOverridingTransport>(std::make_shared<QtNetworkHTTPTransport>(), 1s);
    HTTPGameTitleResolver slow(ServerConfiguration(m_standIn.url()), nullptr, impatient);
    const auto timeout = failure<HTTPTransportError>(slow, m_metadata);
    ASSERT_TRUE(timeout);
    EXPECT_EQ(timeout->kind(), HTTPTransportError::Kind::timedOut);
    ASSERT_TRUE(waitUntil([&] { return m_standIn.pendingResponseCount() == 0; }));

    // Cancelling ends the request with a cancellation.
    m_standIn.enqueueResponse("POST", gameTitleResolvePath,
        ScriptedResponse::json(gameTitleAnswer(QStringLiteral("Game"), std::nullopt)).heldUntilReleased());
    HTTPGameTitleResolver client = resolver();
    const CancellationToken token;
    auto running = client.resolve(m_metadata, token);
    ASSERT_TRUE(waitUntil([&] { return m_standIn.pendingResponseCount() == 1; }));
    token.cancel();
    EXPECT_THROW(runTask(std::move(running)), CancellationError);
    EXPECT_TRUE(waitUntil([&] { return m_standIn.pendingResponseCount() == 0; }));
}

TEST(GameTitleResolverVariantsTest, FixtureAndUnavailable)
{
    FixtureGameTitleResolver fixture;
    const GameTitleResolution named = runTask(fixture.resolve(
        GameTitleWindowMetadata(QStringLiteral("App"), QStringLiteral("  Star \n Ocean "), {}, {}), {}));
    EXPECT_EQ(named.extractedGameName(), QStringLiteral("Star Ocean"));
    EXPECT_EQ(named.representativeGameName(), QStringLiteral("Star Ocean"));
    EXPECT_EQ(runTask(fixture.resolve(GameTitleWindowMetadata(QStringLiteral("App"), QStringLiteral(" "), {}, {}), {})),
        GameTitleResolution());

    UnavailableGameTitleResolver unavailable;
    const auto error = failure<GameTitleClientError>(unavailable, GameTitleWindowMetadata());
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), GameTitleClientError::Kind::invalidConfiguration);
    EXPECT_EQ(error->message(), QStringLiteral("The game-title server configuration is invalid."));
}

TEST_F(HTTPGameTitleResolverTest, ADestroyedResolverEndsItsRequestQuietly)
{
    m_standIn.enqueueResponse("POST", gameTitleResolvePath,
        ScriptedResponse::json(gameTitleAnswer(QStringLiteral("Game"), std::nullopt)).heldUntilReleased());
    const auto outcome
        = destroyWhileInFlight(m_standIn, std::make_unique<HTTPGameTitleResolver>(ServerConfiguration(m_standIn.url())),
            [this](HTTPGameTitleResolver &resolver, const CancellationToken &token) {
                return resolver.resolve(m_metadata, token);
            });
    EXPECT_TRUE(outcome->failedWith<CancellationError>());
}
