// Test label: x11
// The window picker's model over the live window catalog of a private X server, with the
// test game's real window: it is listed, selected, kept by Refresh and confirmed; once
// the game has quit, confirming reports it and the next refresh drops it.
#include "app/picker/WindowPickerModel.h"
#include "capture/x11/XcbWindowCatalog.h"
#include "support/RunTask.h"
#include "support/TestGameWindow.h"
#include "support/XvfbTest.h"

#include <gtest/gtest.h>

using namespace veyra;
using veyra::test::runTask;
using veyra::test::TestGameWindow;
using veyra::test::waitUntil;

namespace {

class LiveWindowPickerTest : public veyra::test::XvfbTest
{ };

bool finishedLoading(const WindowPickerModel &model)
{
    return model.state().kind() == WindowPickerModel::State::Kind::loaded
        || model.state().kind() == WindowPickerModel::State::Kind::failed;
}

void refreshAndWait(WindowPickerModel &model, std::optional<CaptureTarget> preferred)
{
    model.refresh(std::move(preferred));
    ASSERT_TRUE(waitUntil([&] { return finishedLoading(model); }, 30000));
    ASSERT_EQ(model.state(), WindowPickerModel::State::loaded())
        << (model.state().message() ? model.state().message()->localized().toStdString() : std::string());
}

} // namespace

TEST_F(LiveWindowPickerTest, PicksTheRunningGameAndNoticesWhenItHasQuit)
{
    TestGameWindow::Options options;
    options.windowClass = QStringLiteral("Starlight");
    options.title = QStringLiteral("Starlight Voyage");
    options.size = QSize(640, 360);
    TestGameWindow game(session(), options);
    ASSERT_TRUE(game.isRunning()) << game.errorString().toStdString();

    WindowPickerModel model(std::make_shared<XcbWindowCatalog>(session().display()));
    refreshAndWait(model, std::nullopt);
    model.setSelectedWindowID(game.windowID());
    const std::optional<CaptureTarget> selected = model.selectedTarget();
    ASSERT_TRUE(selected);
    EXPECT_EQ(selected->processID, game.processID());
    EXPECT_EQ(selected->windowTitle, QStringLiteral("Starlight Voyage"));
    EXPECT_EQ(selected->sizeDescription(), QStringLiteral("640 \u00D7 360"));

    refreshAndWait(model, model.selectedTarget());
    EXPECT_EQ(model.selectedWindowID(), game.windowID());
    const std::optional<CaptureTarget> confirmed = runTask(model.confirmSelection());
    ASSERT_TRUE(confirmed);
    EXPECT_EQ(confirmed->windowID, game.windowID());
    EXPECT_EQ(model.selectionError(), std::nullopt);

    game.close();
    EXPECT_EQ(runTask(model.confirmSelection()), std::nullopt);
    ASSERT_TRUE(model.selectionError());
    EXPECT_EQ(model.selectionError()->localized(),
        QStringLiteral("The selected window is no longer available. Refresh the list and select it again."));
    EXPECT_EQ(model.selectedWindowID(), game.windowID());

    refreshAndWait(model, model.selectedTarget());
    EXPECT_EQ(model.selectedWindowID(), std::nullopt);
    EXPECT_EQ(model.selectionError(), std::nullopt);
}
