// Test label: unit
// The window picker's state: refreshing (with and without a preferred target), failures,
// confirming a selection, and the answers of the catalog that arrive after a newer
// refresh, a newer selection or the model itself.
#include "app/picker/WindowPickerModel.h"
#include "capture/fixtures/FixtureWindowCatalog.h"
#include "support/ManualWindowCatalog.h"
#include "support/RunTask.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace veyra;
using veyra::test::applicationGroup;
using veyra::test::ManualWindowCatalog;
using veyra::test::runTask;
using State = WindowPickerModel::State;

namespace {

const QString windowGoneMessage
    = QStringLiteral("The selected window is no longer available. Refresh the list and select it again.");

QVector<CaptureApplicationGroup> twoApplications()
{
    return {applicationGroup(10, QStringLiteral("Game"), {{101, QStringLiteral("Main")}, {102, QStringLiteral("Map")}}),
        applicationGroup(20, QStringLiteral("Editor"), {{201, QStringLiteral("Notes")}})};
}

CaptureTarget windowOf(std::int32_t processID, std::uint32_t windowID)
{
    CaptureTarget target;
    target.processID = processID;
    target.windowID = windowID;
    return target;
}

class WindowPickerModelTest : public ::testing::Test
{
protected:
    std::shared_ptr<ManualWindowCatalog> catalog = std::make_shared<ManualWindowCatalog>();
    WindowPickerModel model{catalog};

    void load(QVector<CaptureApplicationGroup> groups, std::optional<CaptureTarget> preferred = std::nullopt)
    {
        model.refresh(std::move(preferred));
        catalog->answerGroups(std::move(groups));
    }
};

} // namespace

TEST_F(WindowPickerModelTest, RefreshPublishesLoadingThenTheListAndKeepsOnlyTheSameWindowOfTheSameProcess)
{
    EXPECT_EQ(model.state(), State::idle());
    EXPECT_FALSE(model.isEmpty());

    model.setSelectionError(ErrorMessage::text("old error"));
    model.refresh(std::nullopt);
    EXPECT_EQ(model.state(), State::loading());
    EXPECT_EQ(model.selectionError(), std::nullopt);
    EXPECT_FALSE(model.isEmpty());
    catalog->answerGroups(twoApplications());
    EXPECT_EQ(model.state(), State::loaded());
    ASSERT_EQ(model.applicationGroups().size(), 2);
    EXPECT_EQ(model.applicationGroups()[1].windows[0].windowTitle, QStringLiteral("Notes"));

    // No preferred target clears the selection even though the window is still listed.
    model.setSelectedWindowID(102);
    ASSERT_TRUE(model.selectedTarget());
    load(twoApplications());
    EXPECT_EQ(model.selectedWindowID(), std::nullopt);

    // The preferred window stays selected when its number and process are listed again...
    load(twoApplications(), windowOf(10, 102));
    EXPECT_EQ(model.selectedWindowID(), 102u);
    EXPECT_EQ(model.selectedTarget()->windowTitle, QStringLiteral("Map"));
    // ...but not when the number now belongs to another process, or is gone.
    load(twoApplications(), windowOf(20, 102));
    EXPECT_EQ(model.selectedWindowID(), std::nullopt);
    load(twoApplications(), windowOf(10, 999));
    EXPECT_EQ(model.selectedWindowID(), std::nullopt);

    // Only a successful refresh without applications is empty.
    load({});
    EXPECT_TRUE(model.isEmpty());
}

TEST_F(WindowPickerModelTest, AFailingCatalogLeavesAnEmptyListNoSelectionAndItsMessageUntilTheNextSuccess)
{
    load(twoApplications(), std::nullopt);
    model.setSelectedWindowID(201);
    model.setSelectionError(ErrorMessage::text("gone"));

    model.refresh(model.selectedTarget());
    catalog->failGroups();
    EXPECT_EQ(model.state().kind(), State::Kind::failed);
    ASSERT_TRUE(model.state().message());
    EXPECT_EQ(model.state().message()->localized(),
        QStringLiteral("Veyra couldn't load the running window list. Refresh the list and try again."));
    EXPECT_TRUE(model.applicationGroups().isEmpty());
    EXPECT_EQ(model.selectedWindowID(), std::nullopt);
    EXPECT_EQ(model.selectionError(), std::nullopt);
    EXPECT_FALSE(model.isEmpty());

    load(twoApplications());
    EXPECT_EQ(model.state(), State::loaded());
    EXPECT_EQ(model.applicationGroups().size(), 2);
}

TEST_F(WindowPickerModelTest, AnswersOfSupersededRefreshesAndOfAModelThatIsGoneAreDropped)
{
    QSignalSpy states(&model, &WindowPickerModel::stateChanged);
    model.refresh(std::nullopt);
    model.refresh(windowOf(20, 201));
    ASSERT_EQ(catalog->pendingGroupsCalls(), 2);

    // The newer refresh answers first; the older answer, arriving last, changes nothing.
    catalog->answerNewestGroups(twoApplications());
    EXPECT_EQ(model.state(), State::loaded());
    EXPECT_EQ(model.selectedWindowID(), 201u);
    catalog->failGroups();
    EXPECT_EQ(model.state(), State::loaded());
    EXPECT_EQ(model.applicationGroups().size(), 2);
    EXPECT_EQ(model.selectedWindowID(), 201u);
    EXPECT_EQ(states.count(), 2); // loading, loaded

    // An older refresh answering while the newer one is still out does not end the loading.
    model.refresh(std::nullopt);
    model.refresh(std::nullopt);
    catalog->answerGroups({});
    EXPECT_EQ(model.state(), State::loading());
    catalog->answerGroups(twoApplications());
    EXPECT_EQ(model.applicationGroups().size(), 2);

    // The model goes away while the catalog is still out.
    auto orphan = std::make_unique<WindowPickerModel>(catalog);
    orphan->refresh(std::nullopt);
    orphan.reset();
    catalog->answerGroups(twoApplications());
}

TEST_F(WindowPickerModelTest, ConfirmingChecksTheFirstListedWindowAgainAndReportsOneThatHasGone)
{
    // Two listed windows share a number: the first in list order is the selection.
    QVector<CaptureApplicationGroup> groups = twoApplications();
    groups.append(applicationGroup(30, QStringLiteral("Other"), {{101, QStringLiteral("Twin")}}));
    load(groups);

    // Nothing selected, or a number that is not listed: none, and no message.
    EXPECT_EQ(runTask(model.confirmSelection()), std::nullopt);
    model.setSelectedWindowID(777);
    EXPECT_EQ(runTask(model.confirmSelection()), std::nullopt);
    EXPECT_EQ(model.selectionError(), std::nullopt);
    EXPECT_EQ(catalog->pendingAvailabilityCalls(), 0);

    model.setSelectedWindowID(101);
    auto gone = model.confirmSelection();
    catalog->answerAvailability(false);
    EXPECT_EQ(runTask(std::move(gone)), std::nullopt);
    ASSERT_TRUE(model.selectionError());
    EXPECT_EQ(model.selectionError()->localized(), windowGoneMessage);
    EXPECT_EQ(model.selectedWindowID(), 101u);
    EXPECT_EQ(model.applicationGroups().size(), 3);

    auto confirmed = model.confirmSelection();
    catalog->answerAvailability(true);
    const std::optional<CaptureTarget> target = runTask(std::move(confirmed));
    ASSERT_TRUE(target);
    EXPECT_EQ(*target, groups[0].windows[0]);
    EXPECT_EQ(catalog->checkedTargets().last(), groups[0].windows[0]);
    EXPECT_EQ(model.selectionError(), std::nullopt);
}

TEST_F(WindowPickerModelTest, AConfirmationSupersededBeforeTheCatalogAnswersYieldsNothing)
{
    load(twoApplications());
    model.setSelectedWindowID(101);

    // Another row was chosen meanwhile: the answer about the first one is not a choice.
    auto first = model.confirmSelection();
    model.setSelectedWindowID(102);
    catalog->answerAvailability(false);
    EXPECT_EQ(runTask(std::move(first)), std::nullopt);
    EXPECT_EQ(model.selectionError(), std::nullopt);

    // A second confirmation (a repeated Return) leaves only the newest one to answer.
    auto older = model.confirmSelection();
    auto newer = model.confirmSelection();
    catalog->answerAvailability(true);
    catalog->answerAvailability(true);
    EXPECT_EQ(runTask(std::move(older)), std::nullopt);
    EXPECT_EQ(runTask(std::move(newer))->windowID, 102u);

    // A refresh started meanwhile supersedes the confirmation too.
    auto beforeRefresh = model.confirmSelection();
    model.refresh(model.selectedTarget());
    catalog->answerAvailability(true);
    EXPECT_EQ(runTask(std::move(beforeRefresh)), std::nullopt);
    catalog->answerGroups(twoApplications());

    // The model goes away while the catalog is still out.
    auto orphan = std::make_unique<WindowPickerModel>(catalog);
    orphan->refresh(std::nullopt);
    catalog->answerGroups(twoApplications());
    orphan->setSelectedWindowID(201);
    auto lost = orphan->confirmSelection();
    orphan.reset();
    catalog->answerAvailability(true);
    EXPECT_EQ(runTask(std::move(lost)), std::nullopt);
}

TEST(WindowPickerModelFixture, TheFixtureCatalogLoadsAndConfirmsItsGameWindow)
{
    auto catalog = std::make_shared<FixtureWindowCatalog>();
    WindowPickerModel model(catalog);
    model.refresh(std::nullopt);
    veyra::test::waitUntil([&] { return model.state() == State::loaded(); });
    ASSERT_EQ(model.state(), State::loaded());
    ASSERT_EQ(model.applicationGroups().size(), FixtureWindowCatalog::fixtureApplicationGroups().size());
    EXPECT_EQ(model.applicationGroups()[0].windows, FixtureWindowCatalog::fixtureApplicationGroups()[0].windows);
    model.setSelectedWindowID(9001);
    EXPECT_EQ(runTask(model.confirmSelection())->windowTitle, QStringLiteral("Starlight Voyage"));
}
