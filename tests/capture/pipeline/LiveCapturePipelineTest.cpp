// Test label: e2e
// The capture loop of the application over a real window: the test game on a private X
// server with openbox, read pass by pass by the live snapshotter, the background-colour
// detector and Tesseract, built by the same factory as the running application. The
// capture area is drawn the way the editor does it: on a snapshot of the window, with the
// box colour picked by the eyedropper's analyser.
#include "capture/pipeline/CapturePipelineFactory.h"
#include "capture/pipeline/FixedCapturePipelineTiming.h"
#include "capture/recognition/DefaultDialogueBackgroundPatternAnalyzer.h"
#include "capture/x11/X11WorkPool.h"
#include "capture/x11/XcbWindowCatalog.h"
#include "capture/x11/XcbWindowSnapshotter.h"
#include "support/CountingSnapshotter.h"
#include "support/LogRecorder.h"
#include "support/RunTask.h"
#include "support/TestGameWindow.h"
#include "support/X11ServerState.h"
#include "support/XvfbSession.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace veyra;
using veyra::test::CountingSnapshotter;
using veyra::test::isRedirected;
using veyra::test::LogRecorder;
using veyra::test::runTask;
using veyra::test::TestGameWindow;
using veyra::test::waitUntil;
using veyra::test::XvfbSession;

namespace {

// Generous: the first pass loads a Tesseract engine on each worker, and the machine is shared.
constexpr int eventTimeoutMs = 90000;

struct RecordedEvent
{
    CapturePipelineEvent event;
    // Captures finished when the event came: the pass it belongs to.
    int pass = 0;
};

// The window as the window catalog lists it, the way the user picks it.
std::optional<CaptureTarget> catalogTarget(const XvfbSession &session, const TestGameWindow &game)
{
    XcbWindowCatalog catalog(session.display());
    for (const CaptureApplicationGroup &group : runTask(catalog.applicationGroups())) {
        for (const CaptureTarget &target : group.windows) {
            if (target.windowID == game.windowID() && target.processID == game.processID()) {
                return target;
            }
        }
    }
    return std::nullopt;
}

QStringList textsOf(const std::vector<RecordedEvent> &events)
{
    QStringList texts;
    for (const RecordedEvent &recorded : events) {
        texts.append(recorded.event.kind() == CapturePipelineEvent::Kind::textChanged
                ? recorded.event.text().areaID + QLatin1Char('=') + recorded.event.text().text
                : QStringLiteral("targetUnavailable"));
    }
    return texts;
}

} // namespace

TEST(LiveCapturePipeline, ReportsEachNewDialogueLineOnceAndStopsWhenTheGameCloses)
{
    XvfbSession session;
    ASSERT_TRUE(session.isRunning()) << session.errorString().toStdString();

    TestGameWindow::Options options;
    options.title = QStringLiteral("Harbour Tales");
    options.position = QPoint(120, 80);
    options.size = QSize(960, 540);
    options.boxColor = QColor(0x1e, 0x2a, 0x44);
    options.boxRect = QRect(48, 378, 864, 135);
    options.text = QStringLiteral("The bridge to the north has collapsed.");
    TestGameWindow game(session, options);
    ASSERT_TRUE(game.isRunning()) << game.errorString().toStdString();

    const std::optional<CaptureTarget> target = catalogTarget(session, game);
    ASSERT_TRUE(target.has_value()) << "the catalog does not list the game window";
    EXPECT_EQ(target->windowTitle, options.title);

    // The editor's snapshot, through the snapshotter the loop will use.
    auto liveSnapshotter = std::make_shared<XcbWindowSnapshotter>(session.display());
    const QImage reference = runTask(liveSnapshotter->capture(*target)).image;
    ASSERT_EQ(reference.size(), options.size);

    // The eyedropper on a patch of the box above the text.
    const auto sampled = DefaultDialogueBackgroundPatternAnalyzer().analyze(reference, CaptureRegion{60, 384, 60, 14});
    ASSERT_TRUE(sampled.has_value());
    EXPECT_GT(sampled->second, 0.9);

    CaptureAreaProfile profile;
    profile.windowTitle = target->windowTitle;
    profile.referenceImageWidth = reference.width();
    profile.referenceImageHeight = reference.height();
    // A rough rectangle around the box, with scenery on every side.
    profile.areas.append(CaptureArea{QStringLiteral("dialogue"), CaptureRegion{20, 330, 920, 200}, sampled->first});
    // The sky, where nothing has the box colour: this area never reports anything.
    profile.areas.append(CaptureArea{QStringLiteral("sky"), CaptureRegion{300, 20, 400, 120}, sampled->first});

    auto snapshotter = std::make_shared<CountingSnapshotter>(liveSnapshotter);
    const std::unique_ptr<CapturePipelineController> controller
        = makeCapturePipelineController(snapshotter, false, std::make_shared<FixedCapturePipelineTiming>(1000));
    std::vector<RecordedEvent> events;
    controller->setOnEvent([&events, &snapshotter](const CapturePipelineEvent &event) {
        events.push_back({event, snapshotter->finished()});
    });
    LogRecorder log(QStringLiteral(".CapturePipeline"));

    const auto waitForEvents = [&events](std::size_t count) {
        return waitUntil([&events, count] { return events.size() >= count; }, eventTimeoutMs);
    };
    // Waits until `passes` more captures have finished.
    const auto waitForPasses = [&snapshotter](int passes) {
        const int until = snapshotter->finished() + passes;
        return waitUntil([&snapshotter, until] { return snapshotter->finished() >= until; }, eventTimeoutMs);
    };
    const auto changedText = [&events](std::size_t index) -> CaptureAreaText {
        const CapturePipelineEvent &event = events.at(index).event;
        if (event.kind() != CapturePipelineEvent::Kind::textChanged) {
            ADD_FAILURE() << "event " << index << " is not textChanged";
            return {};
        }
        return event.text();
    };

    controller->start(*target, profile);
    ASSERT_TRUE(controller->isRunning());

    // The first pass reads the line and attaches one JPEG of the whole frame.
    ASSERT_TRUE(waitForEvents(1)) << "no text was reported";
    const CaptureAreaText first = changedText(0);
    EXPECT_EQ(events[0].pass, 1);
    EXPECT_EQ(first.areaID, QStringLiteral("dialogue"));
    EXPECT_EQ(first.text, QStringLiteral("The bridge to the north has collapsed."));
    ASSERT_TRUE(first.reportScreenshot.has_value());
    EXPECT_EQ(first.reportScreenshot->mediaType, QStringLiteral("image/jpeg"));
    EXPECT_EQ(first.reportScreenshot->fileName, QStringLiteral("capture.jpg"));
    ASSERT_TRUE(first.reportScreenshot->data.startsWith("\xff\xd8\xff"));
    const QImage decoded = QImage::fromData(first.reportScreenshot->data, "JPEG");
    ASSERT_EQ(decoded.size(), options.size);
    // It shows the frame: the box where the box is, the sky above it.
    const QColor box = decoded.pixelColor(80, 390);
    EXPECT_NEAR(box.red(), 0x1e, 12);
    EXPECT_NEAR(box.green(), 0x2a, 12);
    EXPECT_NEAR(box.blue(), 0x44, 12);
    EXPECT_GT(decoded.pixelColor(480, 60).blue(), 150);

    // An unchanged screen reports nothing more.
    ASSERT_TRUE(waitForPasses(3));
    EXPECT_EQ(textsOf(events), QStringList{QStringLiteral("dialogue=") + first.text});

    // Each new line: exactly one event, and then nothing while it stays.
    const QStringList lines{QStringLiteral("Where did you put the old map?"),
        QStringLiteral("今日はとても良い天気ですね。"), QStringLiteral("오늘은 날씨가 정말 좋네요.")};
    for (const QString &line : lines) {
        const std::size_t before = events.size();
        ASSERT_TRUE(game.setText(line));
        ASSERT_TRUE(waitForEvents(before + 1)) << "no event for " << line.toStdString();
        ASSERT_TRUE(waitForPasses(3));
        ASSERT_EQ(events.size(), before + 1) << textsOf(events).join(QLatin1Char('\n')).toStdString();
        const CaptureAreaText changed = changedText(before);
        EXPECT_EQ(changed.areaID, QStringLiteral("dialogue"));
        EXPECT_EQ(changed.text, line);
        ASSERT_TRUE(changed.reportScreenshot.has_value());
        EXPECT_NE(changed.reportScreenshot->data, changedText(before - 1).reportScreenshot.value().data);
        EXPECT_EQ(QImage::fromData(changed.reportScreenshot->data, "JPEG").size(), options.size);
    }
    EXPECT_TRUE(log.messages().isEmpty()) << log.messages().join(QLatin1Char('\n')).toStdString();

    // Stopped, the loop gives the game back to the server: it is no longer redirected.
    EXPECT_TRUE(isRedirected(session.display(), game.windowID()));
    controller->stop();
    x11WorkPool().waitForDone();
    EXPECT_FALSE(isRedirected(session.display(), game.windowID()));
    // Started again, it reports the line on screen again.
    const std::size_t beforeRestart = events.size();
    controller->start(*target, profile);
    ASSERT_TRUE(waitForEvents(beforeRestart + 1));
    EXPECT_EQ(changedText(beforeRestart).text, lines.back());
    EXPECT_TRUE(isRedirected(session.display(), game.windowID()));

    // Closing the game ends the loop with one targetUnavailable.
    const std::size_t beforeClose = events.size();
    game.close();
    ASSERT_TRUE(waitForEvents(beforeClose + 1));
    EXPECT_EQ(events.back().event, CapturePipelineEvent::targetUnavailable());
    EXPECT_FALSE(controller->isRunning());
    EXPECT_FALSE(controller->runID().has_value());
    EXPECT_EQ(controller->lastTexts().value(QStringLiteral("dialogue")), lines.back());
    // No pass follows: the captures stop, and nothing more is reported.
    const int capturesAtEnd = snapshotter->finished();
    waitUntil([] { return false; }, 3000);
    EXPECT_EQ(snapshotter->finished(), capturesAtEnd);
    EXPECT_EQ(events.size(), beforeClose + 1);
}
