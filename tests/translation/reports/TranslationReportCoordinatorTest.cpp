// Test label: unit
#include "translation/reports/TranslationReportCoordinator.h"
#include "support/FakeTranslationErrorReporter.h"
#include "support/GameTitleServiceScript.h"
#include "support/RunTask.h"
#include "support/ServiceStandIn.h"
#include "translation/http/HTTPTransportError.h"
#include "translation/reports/HTTPTranslationErrorReporter.h"
#include "translation/reports/UnavailableTranslationErrorReporter.h"

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;

namespace {

using Event = TranslationReportCoordinatorEvent;

TranslationReportScreenshot frame(const char *bytes)
{
    return {QByteArray(bytes), QStringLiteral("image/jpeg"), QStringLiteral("capture.jpg")};
}

TranslationReportTarget row(const QString &areaID, const QString &sourceText, QUuid id = QUuid::createUuid())
{
    return {areaID, id, sourceText, QStringLiteral("translated ") + sourceText, QStringLiteral("Game"),
        TranslationTargetLanguage::korean};
}

// Lets the event loop run the tasks that were started but have not begun.
void settle()
{
    for (int round = 0; round < 5; ++round) {
        QCoreApplication::processEvents();
    }
}

class TranslationReportCoordinatorTest : public ::testing::Test
{
protected:
    TranslationReportCoordinatorTest()
        : m_reporter(std::make_shared<FakeTranslationErrorReporter>())
        , m_coordinator(m_reporter)
    {
        m_coordinator.setOnEvent([this](const Event &event) { m_events.push_back(event); });
        m_coordinator.retainScreenshot({QStringLiteral("box"), QStringLiteral("Hello  world"), frame("box-1")});
        m_coordinator.retainScreenshot({QStringLiteral("name"), QStringLiteral("Alice"), frame("name-1")});
    }

    void TearDown() override { failPendingCalls(m_reporter->calls, std::make_exception_ptr(CancellationError())); }

    // Submits and waits until the reporter has been called.
    FakeTranslationErrorReporter::Call &submitAndWait(const TranslationReportTarget &target)
    {
        const size_t before = m_reporter->calls.size();
        m_coordinator.submitReport(target);
        EXPECT_TRUE(waitUntil([&] { return m_reporter->calls.size() > before; }));
        return *m_reporter->calls.back();
    }

    bool reporting() const { return m_coordinator.task().has_value() && m_coordinator.activeTarget().has_value(); }
    bool idle() const { return !m_coordinator.task() && !m_coordinator.activeTarget(); }

    std::shared_ptr<FakeTranslationErrorReporter> m_reporter;
    TranslationReportCoordinator m_coordinator;
    std::vector<Event> m_events;
};

} // namespace

TEST_F(TranslationReportCoordinatorTest, ScreenshotsBelongToTheTextTheyShowed)
{
    EXPECT_EQ(m_coordinator.retainedScreenshot(QStringLiteral("box"), QStringLiteral("Hello world")), frame("box-1"));
    EXPECT_EQ(
        m_coordinator.retainedScreenshot(QStringLiteral("box"), QStringLiteral(" Hello world\n")), frame("box-1"));
    EXPECT_FALSE(m_coordinator.retainedScreenshot(QStringLiteral("box"), QStringLiteral("hello world")));
    EXPECT_FALSE(m_coordinator.retainedScreenshot(QStringLiteral("box"), QStringLiteral("Alice")));
    EXPECT_FALSE(m_coordinator.retainedScreenshot(QStringLiteral("other"), QStringLiteral("Hello world")));

    // A newer text replaces the screenshot; one without a screenshot removes it.
    m_coordinator.retainScreenshot({QStringLiteral("box"), QStringLiteral("Next"), frame("box-2")});
    EXPECT_FALSE(m_coordinator.retainedScreenshot(QStringLiteral("box"), QStringLiteral("Hello world")));
    EXPECT_EQ(m_coordinator.retainedScreenshot(QStringLiteral("box"), QStringLiteral("Next")), frame("box-2"));
    m_coordinator.retainScreenshot({QStringLiteral("box"), QStringLiteral("Later"), std::nullopt});
    EXPECT_FALSE(m_coordinator.retainedScreenshot(QStringLiteral("box"), QStringLiteral("Later")));
    EXPECT_FALSE(m_coordinator.screenshotsByAreaID().contains(QStringLiteral("box")));

    // Without a screenshot of the row's text a report fails at once.
    const TranslationReportTarget later = row(QStringLiteral("box"), QStringLiteral("Later"));
    m_coordinator.submitReport(later);
    ASSERT_EQ(m_events.size(), 1u);
    EXPECT_EQ(m_events[0], Event::failed(later));
    EXPECT_TRUE(idle());
    settle();
    EXPECT_TRUE(m_reporter->calls.empty());
}

TEST_F(TranslationReportCoordinatorTest, OneReportAtATime)
{
    const TranslationReportTarget box = row(QStringLiteral("box"), QStringLiteral("Hello world"));
    m_coordinator.submitReport(box);
    // The upload begins on a later turn of the event loop, never inside submitReport.
    EXPECT_TRUE(m_reporter->calls.empty());
    EXPECT_TRUE(reporting());
    EXPECT_EQ(m_coordinator.activeTarget(), box);
    ASSERT_TRUE(waitUntil([&] { return m_reporter->calls.size() == 1; }));
    auto &upload = *m_reporter->calls[0];
    EXPECT_EQ(upload.translationID, box.translationID);
    EXPECT_EQ(upload.screenshot, frame("box-1"));

    // A second submission, of any row, fails at once and leaves the first alone.
    const TranslationReportTarget name = row(QStringLiteral("name"), QStringLiteral("Alice"));
    m_coordinator.submitReport(name);
    m_coordinator.submitReport(box);
    EXPECT_EQ(m_events, std::vector<Event>({Event::failed(name), Event::failed(box)}));
    settle();
    EXPECT_EQ(m_reporter->calls.size(), 1u);
    EXPECT_TRUE(reporting());

    upload.succeed();
    ASSERT_TRUE(waitUntil([&] { return m_events.size() == 3; }));
    EXPECT_EQ(m_events[2], Event::submitted(box));
    EXPECT_TRUE(idle());

    // A failure of the reporter, a time-out included, is a failed report.
    auto &second = submitAndWait(name);
    second.fail(HTTPTransportError(HTTPTransportError::Kind::timedOut));
    ASSERT_TRUE(waitUntil([&] { return m_events.size() == 4; }));
    EXPECT_EQ(m_events[3], Event::failed(name));
    EXPECT_TRUE(idle());

    // Without a reporter nothing can be reported.
    TranslationReportCoordinator without(nullptr);
    std::vector<Event> events;
    without.setOnEvent([&events](const Event &event) { events.push_back(event); });
    without.retainScreenshot({QStringLiteral("box"), QStringLiteral("Hello world"), frame("box-1")});
    without.submitReport(box);
    EXPECT_EQ(events, std::vector<Event>{Event::failed(box)});
    EXPECT_FALSE(without.task());
}

TEST_F(TranslationReportCoordinatorTest, CancellingDropsTheOutcome)
{
    // Idle: nothing to cancel, nothing emitted.
    m_coordinator.cancelReport();
    EXPECT_TRUE(m_events.empty());

    const TranslationReportTarget box = row(QStringLiteral("box"), QStringLiteral("Hello world"));
    auto &upload = submitAndWait(box);
    m_coordinator.cancelReport();
    m_coordinator.cancelReport();
    EXPECT_EQ(m_events, std::vector<Event>{Event::cancelled()});
    EXPECT_TRUE(idle());
    EXPECT_TRUE(upload.token.isCancelled());
    // The server's answer arrives anyway: neither submitted nor failed follows.
    upload.succeed();
    settle();
    EXPECT_EQ(m_events.size(), 1u);

    // A report cancelled before its upload began never begins.
    m_coordinator.submitReport(box);
    m_coordinator.cancelReport();
    settle();
    EXPECT_EQ(m_reporter->calls.size(), 1u);
    EXPECT_EQ(m_events, std::vector<Event>({Event::cancelled(), Event::cancelled()}));
}

TEST_F(TranslationReportCoordinatorTest, AResubmittedRowIsNotFinishedByItsCancelledUpload)
{
    const TranslationReportTarget box = row(QStringLiteral("box"), QStringLiteral("Hello world"));
    auto &cancelled = submitAndWait(box);
    m_coordinator.cancelReport();
    auto &again = submitAndWait(box);

    // The cancelled upload's answer arrives while the same row is being reported again.
    cancelled.succeed();
    settle();
    EXPECT_EQ(m_events, std::vector<Event>{Event::cancelled()});
    EXPECT_TRUE(reporting());

    again.fail(HTTPTransportError(HTTPTransportError::Kind::networkFailure));
    ASSERT_TRUE(waitUntil([&] { return m_events.size() == 2; }));
    EXPECT_EQ(m_events[1], Event::failed(box));
    EXPECT_TRUE(idle());
}

TEST_F(TranslationReportCoordinatorTest, TextsCompareInTheirNFCForm)
{
    const QString composed = QStringLiteral("Caf\u00e9");
    const QString decomposed = QStringLiteral("Cafe\u0301");
    m_coordinator.retainScreenshot({QStringLiteral("box"), composed, frame("box-cafe")});
    EXPECT_EQ(m_coordinator.retainedScreenshot(QStringLiteral("box"), decomposed), frame("box-cafe"));

    const TranslationReportTarget box = row(QStringLiteral("box"), decomposed);
    auto &upload = submitAndWait(box);
    m_coordinator.cancelReportIfSourceTextChanged(QStringLiteral("box"), composed);
    EXPECT_TRUE(reporting());
    upload.succeed();
    ASSERT_TRUE(waitUntil([&] { return !m_events.empty(); }));
    EXPECT_EQ(m_events, std::vector<Event>{Event::submitted(box)});
}

TEST_F(TranslationReportCoordinatorTest, ANewTextOfTheReportedAreaCancels)
{
    const TranslationReportTarget box = row(QStringLiteral("box"), QStringLiteral("Hello world"));
    auto &upload = submitAndWait(box);

    // Another area's text, or the same text again after normalisation, changes nothing.
    m_coordinator.cancelReportIfSourceTextChanged(QStringLiteral("name"), QStringLiteral("Bob"));
    m_coordinator.cancelReportIfSourceTextChanged(QStringLiteral("box"), QStringLiteral(" Hello \n world "));
    EXPECT_TRUE(m_events.empty());
    EXPECT_TRUE(reporting());

    m_coordinator.cancelReportIfSourceTextChanged(QStringLiteral("box"), QStringLiteral("Goodbye"));
    EXPECT_EQ(m_events, std::vector<Event>{Event::cancelled()});
    EXPECT_TRUE(upload.token.isCancelled());
    upload.fail(HTTPTransportError(HTTPTransportError::Kind::networkFailure));
    settle();
    EXPECT_EQ(m_events.size(), 1u);
}

TEST_F(TranslationReportCoordinatorTest, ResetForgetsEveryScreenshot)
{
    const TranslationReportTarget box = row(QStringLiteral("box"), QStringLiteral("Hello world"));
    submitAndWait(box);
    m_coordinator.reset();
    EXPECT_EQ(m_events, std::vector<Event>{Event::cancelled()});
    EXPECT_TRUE(m_coordinator.screenshotsByAreaID().isEmpty());

    const TranslationReportTarget name = row(QStringLiteral("name"), QStringLiteral("Alice"));
    m_coordinator.submitReport(name);
    EXPECT_EQ(m_events.back(), Event::failed(name));

    // A new text brings a new screenshot, and reports work again.
    m_coordinator.retainScreenshot({QStringLiteral("name"), QStringLiteral("Alice"), frame("name-2")});
    auto &upload = submitAndWait(name);
    EXPECT_EQ(upload.screenshot, frame("name-2"));
    upload.succeed();
    EXPECT_TRUE(waitUntil([&] { return m_events.back() == Event::submitted(name); }));
}

TEST(TranslationReportCoordinatorUnavailableTest, AReporterThatFailsAtOnceLeavesTheCoordinatorIdle)
{
    TranslationReportCoordinator coordinator(std::make_shared<UnavailableTranslationErrorReporter>());
    std::vector<Event> events;
    coordinator.setOnEvent([&events](const Event &event) { events.push_back(event); });
    coordinator.retainScreenshot({QStringLiteral("box"), QStringLiteral("Text"), frame("box")});
    const TranslationReportTarget box = row(QStringLiteral("box"), QStringLiteral("Text"));
    for (size_t attempt = 1; attempt <= 2; ++attempt) {
        coordinator.submitReport(box);
        ASSERT_TRUE(waitUntil([&] { return events.size() == attempt; }));
        EXPECT_EQ(events.back(), Event::failed(box));
        EXPECT_FALSE(coordinator.task());
        EXPECT_FALSE(coordinator.activeTarget());
    }
}

TEST(TranslationReportCoordinatorLifetimeTest, AReleasedCoordinatorEndsItsReportSilently)
{
    auto reporter = std::make_shared<FakeTranslationErrorReporter>();
    std::vector<Event> events;
    auto coordinator = std::make_unique<TranslationReportCoordinator>(reporter);
    coordinator->setOnEvent([&events](const Event &event) { events.push_back(event); });
    coordinator->retainScreenshot({QStringLiteral("box"), QStringLiteral("Text"), frame("box")});
    coordinator->submitReport(row(QStringLiteral("box"), QStringLiteral("Text")));
    ASSERT_TRUE(waitUntil([&] { return reporter->calls.size() == 1; }));
    coordinator.reset();
    EXPECT_TRUE(reporter->calls[0]->token.isCancelled());
    reporter->calls[0]->succeed();
    settle();
    EXPECT_TRUE(events.empty());
}

TEST(TranslationReportCoordinatorHTTPTest, UploadsOverTheNetwork)
{
    ServiceStandIn standIn;
    TranslationReportCoordinator coordinator(
        std::make_shared<HTTPTranslationErrorReporter>(ServerConfiguration(standIn.url())));
    std::vector<Event> events;
    coordinator.setOnEvent([&events](const Event &event) { events.push_back(event); });
    coordinator.retainScreenshot({QStringLiteral("box"), QStringLiteral("Hello"), frame("\xFF\xD8 frame \xFF\xD9")});
    const TranslationReportTarget box = row(QStringLiteral("box"), QStringLiteral("Hello"));
    const QString path = errorReportPath(box.translationID);

    standIn.enqueueResponse("POST", path, ScriptedResponse::raw(204, {}));
    coordinator.submitReport(box);
    ASSERT_TRUE(waitUntil([&] { return !events.empty(); }));
    EXPECT_EQ(events, std::vector<Event>{Event::submitted(box)});
    ASSERT_EQ(standIn.requests().size(), 1);
    EXPECT_EQ(standIn.requests()[0].parts.value(0).content, frame("\xFF\xD8 frame \xFF\xD9").data);

    // A new text of the area aborts the upload.
    standIn.enqueueResponse("POST", path, ScriptedResponse::raw(204, {}).heldUntilReleased());
    coordinator.submitReport(box);
    ASSERT_TRUE(waitUntil([&] { return standIn.pendingResponseCount() == 1; }));
    coordinator.cancelReportIfSourceTextChanged(QStringLiteral("box"), QStringLiteral("Bye"));
    EXPECT_EQ(events.back(), Event::cancelled());
    ASSERT_TRUE(waitUntil([&] { return standIn.pendingResponseCount() == 0; }));
    EXPECT_TRUE(standIn.requests().last().clientDisconnected);
    settle();
    EXPECT_EQ(events.size(), 2u);
}
