// Test label: unit
#include "support/ClientTeardown.h"
#include "support/GameTitleServiceScript.h"
#include "support/LogCapture.h"
#include "support/RunTask.h"
#include "support/ServiceStandIn.h"
#include "support/TestGate.h"
#include "support/TimeoutOverridingTransport.h"
#include "translation/http/HTTPTransportError.h"
#include "translation/http/QtNetworkHTTPTransport.h"
#include "translation/reports/FixtureTranslationErrorReporter.h"
#include "translation/reports/HTTPTranslationErrorReporter.h"
#include "translation/reports/TranslationErrorReportClientError.h"
#include "translation/reports/UnavailableTranslationErrorReporter.h"
#include "translation/translations/TranslationClientError.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;
using namespace std::chrono_literals;

namespace {

// A translation identifier whose canonical text is upper case.
const QUuid translationID = QUuid::fromString(QStringLiteral("6F1C2A9E-3B4D-4E5F-8A7B-9C0D1E2F3A4B"));

TranslationReportScreenshot jpeg(
    QByteArray data = QByteArray("\xFF\xD8\xFF\xE0 jpeg \r\n--not-a-boundary\r\n\x00\xFF\xD9", 33))
{
    return {std::move(data), QStringLiteral("image/jpeg"), QStringLiteral("capture.jpg")};
}

template <typename Error>
std::optional<Error> failure(TranslationErrorReporting &reporter, const TranslationReportScreenshot &screenshot,
    CancellationToken token = CancellationToken())
{
    try {
        runTask(reporter.report(translationID, screenshot, token));
    } catch (const Error &error) {
        return error;
    } catch (const std::exception &other) {
        ADD_FAILURE() << "unexpected error: " << other.what();
        return std::nullopt;
    }
    ADD_FAILURE() << "the report succeeded";
    return std::nullopt;
}

class TranslationErrorReporterTest : public ::testing::Test
{
protected:
    HTTPTranslationErrorReporter reporter()
    {
        return HTTPTranslationErrorReporter(ServerConfiguration(m_standIn.url()));
    }

    ServiceStandIn m_standIn;
    const QString m_path = errorReportPath(translationID);
};

} // namespace

TEST_F(TranslationErrorReporterTest, RequestWireFormat)
{
    auto timing = std::make_shared<TimeoutOverridingTransport>(std::make_shared<QtNetworkHTTPTransport>(), 15s);
    HTTPTranslationErrorReporter client(ServerConfiguration(m_standIn.url(QStringLiteral("/api"))), nullptr, timing);
    m_standIn.setDefaultResponse("POST", QStringLiteral("/api") + m_path, ScriptedResponse::raw(204, {}));

    const TranslationReportScreenshot screenshot = jpeg();
    runTask(client.report(translationID, screenshot, {}));
    runTask(client.report(translationID, screenshot, {}));

    const QList<RecordedRequest> received = m_standIn.requests();
    ASSERT_EQ(received.size(), 2);
    const RecordedRequest &request = received[0];
    EXPECT_EQ(request.method, "POST");
    // The identifier in lower case; no trailing slash.
    EXPECT_EQ(
        request.path, QStringLiteral("/api/v1/app/translations/6f1c2a9e-3b4d-4e5f-8a7b-9c0d1e2f3a4b/error-reports"));
    EXPECT_EQ(request.header("Accept"), QByteArray("application/json"));
    EXPECT_EQ(timing->originalTimeout, 15s);

    // The boundary: "Obrisk-" and an upper-case UUID, unquoted.
    const QByteArray contentType = request.header("Content-Type").value_or(QByteArray());
    const QRegularExpression form(QStringLiteral(
        "^multipart/form-data; boundary=(Obrisk-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12})$"));
    const QRegularExpressionMatch match = form.match(QString::fromLatin1(contentType));
    ASSERT_TRUE(match.hasMatch()) << contentType.toStdString();
    const QByteArray boundary = match.captured(1).toLatin1();

    // The body, byte for byte: one part, no preamble, the JPEG bytes unchanged.
    const QByteArray expected = "--" + boundary + "\r\n"
        + "Content-Disposition: form-data; name=\"screenshot\"; filename=\"capture.jpg\"\r\n"
        + "Content-Type: image/jpeg\r\n" + "\r\n" + screenshot.data + "\r\n" + "--" + boundary + "--\r\n";
    EXPECT_EQ(request.body, expected);
    ASSERT_FALSE(request.malformedMultipart);
    ASSERT_EQ(request.parts.size(), 1);
    EXPECT_EQ(request.parts[0].name, QStringLiteral("screenshot"));
    EXPECT_EQ(request.parts[0].filename, QStringLiteral("capture.jpg"));
    EXPECT_EQ(request.parts[0].contentType, QByteArray("image/jpeg"));
    EXPECT_EQ(request.parts[0].headerLines.size(), 2);
    EXPECT_EQ(request.parts[0].content, screenshot.data);

    // Each report has a boundary of its own.
    const QByteArray second = received[1].header("Content-Type").value_or(QByteArray());
    EXPECT_TRUE(form.match(QString::fromLatin1(second)).hasMatch());
    EXPECT_NE(second, contentType);
    EXPECT_EQ(received[1].parts.size(), 1);
}

TEST_F(TranslationErrorReporterTest, OtherScreenshotsAreSentAsTheyAre)
{
    m_standIn.setDefaultResponse("POST", m_path, ScriptedResponse::raw(204, {}));
    HTTPTranslationErrorReporter client = reporter();
    const TranslationReportScreenshot png{QByteArray(), QStringLiteral("image/png"), QStringLiteral("フレーム 1.png")};
    runTask(client.report(translationID, png, {}));
    const RecordedRequest request = m_standIn.requests().last();
    ASSERT_EQ(request.parts.size(), 1);
    EXPECT_EQ(request.parts[0].filename, QStringLiteral("フレーム 1.png"));
    EXPECT_EQ(request.parts[0].contentType, QByteArray("image/png"));
    EXPECT_TRUE(request.parts[0].content.isEmpty());
    EXPECT_TRUE(request.body.contains("filename=\"" + QStringLiteral("フレーム 1.png").toUtf8() + "\"\r\n"));
}

TEST_F(TranslationErrorReporterTest, PartHeadersCannotBeInjected)
{
    m_standIn.setDefaultResponse("POST", m_path, ScriptedResponse::raw(204, {}));
    HTTPTranslationErrorReporter client = reporter();
    const QList<TranslationReportScreenshot> unsafe{
        {QByteArray("x"), QStringLiteral("image/jpeg"), QStringLiteral("a.jpg\r\nContent-Type: text/html")},
        {QByteArray("x"), QStringLiteral("image/jpeg"), QStringLiteral("a\".jpg")},
        {QByteArray("x"), QStringLiteral("image/jpeg"), QStringLiteral("a\n.jpg")},
        {QByteArray("x"), QStringLiteral("image/jpeg"), QStringLiteral("a\r.jpg")},
        {QByteArray("x"), QStringLiteral("image/jpeg"), QString::fromUtf8("a\0.jpg", 6)},
        {QByteArray("x"), QStringLiteral("image/jpeg\r\n\r\ninjected"), QStringLiteral("capture.jpg")},
        {QByteArray("x"), QStringLiteral("image/\"jpeg\""), QStringLiteral("capture.jpg")},
    };
    for (const TranslationReportScreenshot &screenshot : unsafe) {
        const auto error = failure<TranslationErrorReportClientError>(client, screenshot);
        ASSERT_TRUE(error);
        EXPECT_EQ(error->kind(), TranslationErrorReportClientError::Kind::invalidScreenshot);
        EXPECT_EQ(error->message(), QStringLiteral("The report screenshot has an invalid file name or media type."));
    }
    EXPECT_EQ(m_standIn.requestCount(), 0);
}

TEST_F(TranslationErrorReporterTest, OnlyNoContentIsAccepted)
{
    HTTPTranslationErrorReporter client = reporter();
    // 204 with a body is still accepted.
    m_standIn.enqueueResponse("POST", m_path, ScriptedResponse::raw(204, "{\"ignored\":true}"));
    runTask(client.report(translationID, jpeg(), {}));

    for (const int status : {200, 201, 400, 404, 500}) {
        m_standIn.enqueueResponse("POST", m_path, ScriptedResponse::raw(status, "{}"));
        LogCapture log;
        const auto error = failure<TranslationErrorReportClientError>(client, jpeg());
        ASSERT_TRUE(error) << status;
        EXPECT_EQ(error->kind(), TranslationErrorReportClientError::Kind::unexpectedStatusCode);
        EXPECT_EQ(error->statusCode(), status);
        EXPECT_EQ(error->message(), QStringLiteral("The translation server returned HTTP status %1.").arg(status));
        EXPECT_EQ(log.messages(QStringLiteral("TranslationErrorReport")),
            QStringList{QStringLiteral("Translation error report failed with HTTP status %1.").arg(status)});
    }
}

TEST_F(TranslationErrorReporterTest, ATimeOutIsPassedOnWithoutALog)
{
    LogCapture log;
    // A time-out is a failure, not a cancellation.
    m_standIn.enqueueResponse("POST", m_path, ScriptedResponse::raw(204, {}).heldUntilReleased());
    auto impatient = std::make_shared<TimeoutOverridingTransport>(std::make_shared<QtNetworkHTTPTransport>(), 1s);
    HTTPTranslationErrorReporter slow(ServerConfiguration(m_standIn.url()), nullptr, impatient);
    const auto timeout = failure<HTTPTransportError>(slow, jpeg());
    ASSERT_TRUE(timeout);
    EXPECT_EQ(timeout->kind(), HTTPTransportError::Kind::timedOut);
    ASSERT_TRUE(waitUntil([&] { return m_standIn.pendingResponseCount() == 0; }));

    EXPECT_TRUE(log.messages(QStringLiteral("TranslationErrorReport")).isEmpty());
}

namespace {
// Sleeps until the test releases the gate; records each deadline's distance from the call.
class GateSleeper : public Sleeper
{
public:
    QCoro::Task<void> sleepUntil(Clock::time_point deadline, CancellationToken token) override
    {
        deadlines.push_back(deadline);
        co_await gate.wait(token);
    }
    std::vector<Clock::time_point> deadlines;
    TestGate gate;
};
} // namespace

TEST(TranslationErrorReporterVariantsTest, FixtureAndUnavailable)
{
    auto sleeper = std::make_shared<GateSleeper>();
    FixtureTranslationErrorReporter fixture(sleeper);
    EXPECT_EQ(FixtureTranslationErrorReporter::answerDelay, 300ms);

    // Accepted once its wait ends.
    const auto before = Sleeper::Clock::now();
    auto accepted = fixture.report(translationID, jpeg(), {});
    ASSERT_EQ(sleeper->deadlines.size(), 1u);
    EXPECT_GE(sleeper->deadlines[0], before + 300ms);
    ASSERT_TRUE(sleeper->gate.releaseOne());
    runTask(std::move(accepted));

    // Cancelled while it waits: the cancellation is thrown.
    const CancellationToken token;
    auto waiting = fixture.report(translationID, jpeg(), token);
    token.cancel();
    EXPECT_THROW(runTask(std::move(waiting)), CancellationError);

    UnavailableTranslationErrorReporter unavailable;
    const auto error = failure<TranslationClientError>(unavailable, jpeg());
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), TranslationClientError::Kind::invalidConfiguration);
    EXPECT_EQ(error->message(), QStringLiteral("The translation server configuration is invalid."));
}

TEST_F(TranslationErrorReporterTest, ADestroyedReporterEndsItsUploadQuietly)
{
    m_standIn.enqueueResponse("POST", m_path, ScriptedResponse::raw(204, {}).heldUntilReleased());
    const auto outcome = destroyWhileInFlight(m_standIn,
        std::make_unique<HTTPTranslationErrorReporter>(ServerConfiguration(m_standIn.url())),
        [](HTTPTranslationErrorReporter &reporter, const CancellationToken &token) {
            return reporter.report(translationID, jpeg(), token);
        });
    EXPECT_TRUE(outcome->failedWith<CancellationError>());
}
