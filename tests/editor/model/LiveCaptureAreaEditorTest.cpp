// Test label: x11
// The editor over a real game window on a private X server: the snapshot comes from the
// live snapshotter without holding up the GUI thread, and the eyedropper reads the colour
// of the game's dialogue box from it.
#include "capture/areas/InMemoryCaptureAreaStore.h"
#include "capture/x11/XcbWindowSnapshotter.h"
#include "editor/model/CaptureAreaEditorModel.h"
#include "support/RunTask.h"
#include "support/TestGameWindow.h"
#include "support/XvfbTest.h"

#include <gtest/gtest.h>

using namespace veyra;
using veyra::test::runTask;
using veyra::test::TestGameWindow;

namespace {
class LiveCaptureAreaEditorTest : public veyra::test::XvfbTest
{ };
} // namespace

TEST_F(LiveCaptureAreaEditorTest, LoadsTheLiveSnapshotAndPicksTheDialogueBoxColour)
{
    TestGameWindow::Options options;
    options.size = QSize(960, 540);
    options.boxRect = QRect(60, 380, 840, 120);
    options.boxColor = QColor(0x1e, 0x2a, 0x44);
    options.text = QStringLiteral("Hello");
    TestGameWindow game(session(), options);
    ASSERT_TRUE(game.isRunning()) << game.errorString().toStdString();

    CaptureTarget target;
    target.windowID = game.windowID();
    target.processID = game.processID();
    target.executableURL = QUrl::fromLocalFile(game.executablePath());
    target.applicationName = QStringLiteral("veyra_test_game_window");
    target.windowTitle = options.title;

    auto store = std::make_shared<InMemoryCaptureAreaStore>();
    CaptureAreaEditorModel model(std::make_shared<XcbWindowSnapshotter>(session().display()), store);
    QCoro::Task<void> loading = model.load(target, false);
    // The snapshot is taken on the X work thread: the call comes back at once.
    EXPECT_EQ(model.state().kind, CaptureAreaEditorModel::State::Kind::loading);
    runTask(std::move(loading));
    ASSERT_EQ(model.state().kind, CaptureAreaEditorModel::State::Kind::ready)
        << (model.state().message ? model.state().message->localized().toStdString() : std::string());
    ASSERT_TRUE(model.snapshot());
    EXPECT_EQ(model.snapshot()->image.size(), QSize(960, 540));

    model.addArea();
    model.updateRegion({40, 360, 880, 160}, QStringLiteral("box_1"));
    model.toggleBackgroundPicking();
    // A text-free spot near the box's right end.
    model.pickBackground(QPointF(860.4, 440.6));
    const CaptureAreaDraft area = model.areas()[0];
    EXPECT_EQ(area.backgroundPattern, (DialogueBackgroundPattern{16, 48, 80}));
    EXPECT_EQ(area.backgroundSampleCoverage, 1.0);
    ASSERT_TRUE(model.save());
    const auto saved = store->profile(*target.profileKey());
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->referenceImageWidth, 960);
    EXPECT_EQ(saved->referenceImageHeight, 540);
}
