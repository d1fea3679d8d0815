// Test label: unit
#include "editor/model/CaptureAreaEditorModel.h"
#include "capture/areas/FileCaptureAreaStore.h"
#include "capture/areas/InMemoryCaptureAreaStore.h"
#include "support/ExampleGameTarget.h"
#include "support/FakeWindowSnapshotter.h"
#include "support/RunTask.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace veyra;
using veyra::test::exampleGameTarget;
using veyra::test::FakeWindowSnapshotter;
using veyra::test::runTask;
using Kind = CaptureAreaEditorModel::State::Kind;

namespace {

const DialogueBackgroundPattern navy{16, 48, 80};

// What a failed state shows: its message as worded now, and whether the window is gone.
using Failure = std::pair<QString, bool>;
std::optional<Failure> failureOf(const CaptureAreaEditorModel::State &state)
{
    if (state.kind != Kind::failed || !state.message) {
        return std::nullopt;
    }
    return Failure{state.message->localized(), state.targetUnavailable};
}

std::optional<QString> textOf(const std::optional<ErrorMessage> &message)
{
    return message ? std::optional<QString>(message->localized()) : std::nullopt;
}

QImage filledImage(int width, int height, QColor colour = QColor(20, 30, 40))
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

CaptureAreaProfile storedProfile(std::int64_t referenceWidth, std::int64_t referenceHeight, QVector<CaptureArea> areas)
{
    const GameWindowProfileKey key = *exampleGameTarget().profileKey();
    return {key.applicationIdentity, key.windowTitle, referenceWidth, referenceHeight, std::move(areas)};
}

struct Editor
{
    explicit Editor(QImage image = filledImage(2000, 1000), QVector<CaptureAreaProfile> profiles = {})
        : snapshotter(std::make_shared<FakeWindowSnapshotter>())
        , store(std::make_shared<InMemoryCaptureAreaStore>(profiles))
        , model(snapshotter, store)
    {
        snapshotter->setImage(std::move(image));
    }

    void load(bool force = false) { runTask(model.load(exampleGameTarget(), force)); }

    std::shared_ptr<FakeWindowSnapshotter> snapshotter;
    std::shared_ptr<InMemoryCaptureAreaStore> store;
    CaptureAreaEditorModel model;
};

QStringList idsOf(const CaptureAreaEditorModel &model)
{
    QStringList ids;
    for (const CaptureAreaDraft &draft : model.areas()) {
        ids.append(draft.id);
    }
    return ids;
}

} // namespace

TEST(CaptureAreaEditorModel, LoadingCarriesTheSavedRegionsOntoTheNewSnapshot)
{
    Editor editor(filledImage(2000, 1000),
        {storedProfile(1000, 500,
            {{QStringLiteral("top"), {10, 10, 100, 50}, navy}, {QStringLiteral("off"), {990, 480, 400, 100}, navy}})});
    QSignalSpy states(&editor.model, &CaptureAreaEditorModel::stateChanged);
    editor.load();

    EXPECT_EQ(editor.model.state().kind, Kind::ready);
    EXPECT_EQ(states.count(), 2); // loading, then ready
    ASSERT_TRUE(editor.model.snapshot());
    EXPECT_EQ(editor.model.snapshot()->image.size(), QSize(2000, 1000));
    ASSERT_EQ(editor.model.areas().size(), 2);
    EXPECT_EQ(
        editor.model.areas()[0], (CaptureAreaDraft{QStringLiteral("top"), {20, 20, 200, 100}, navy, std::nullopt}));
    // Scaled to 1980, 960, 800 x 200, then pulled inside the snapshot.
    EXPECT_EQ(editor.model.areas()[1].searchRegion, (CaptureRegion{1200, 800, 800, 200}));
    EXPECT_FALSE(editor.model.selection());
    EXPECT_FALSE(editor.model.isPickingBackground());
    EXPECT_EQ(editor.model.profileKey(), exampleGameTarget().profileKey());
    EXPECT_EQ(editor.snapshotter->targets(), QVector<CaptureTarget>{exampleGameTarget()});

    // A second load without force changes nothing; a forced one captures again.
    editor.model.select(QStringLiteral("top"));
    editor.load();
    EXPECT_EQ(editor.snapshotter->callCount(), 1);
    EXPECT_EQ(editor.model.selection(), QStringLiteral("top"));
    editor.load(true);
    EXPECT_EQ(editor.snapshotter->callCount(), 2);
    EXPECT_FALSE(editor.model.selection());

    // A reference size of 0 x 0 keeps the regions as stored and only clamps them.
    Editor unscaled(filledImage(640, 360), {storedProfile(0, 0, {{QStringLiteral("a"), {600, 10, 100, 50}, navy}})});
    unscaled.load();
    EXPECT_EQ(unscaled.model.areas()[0].searchRegion, (CaptureRegion{540, 10, 100, 50}));
    // On a 2 x 2 snapshot every region becomes the whole image.
    Editor tiny(filledImage(2, 2), {storedProfile(1000, 500, {{QStringLiteral("a"), {10, 10, 100, 50}, navy}})});
    tiny.load();
    EXPECT_EQ(tiny.model.areas()[0].searchRegion, (CaptureRegion{0, 0, 2, 2}));
}

TEST(CaptureAreaEditorModel, LoadFailuresSayWhyAndWhetherTheWindowIsGone)
{
    Editor editor;
    editor.load();
    editor.model.addArea();

    // A target without bundle identifier or executable cannot be keyed.
    CaptureTarget anonymous = exampleGameTarget();
    anonymous.bundleIdentifier.reset();
    runTask(editor.model.load(anonymous, true));
    EXPECT_EQ(failureOf(editor.model.state()),
        (Failure{QStringLiteral("Veyra couldn't identify the selected application."), false}));
    EXPECT_TRUE(editor.model.snapshot()) << "the snapshot stays";
    EXPECT_EQ(editor.model.areas().size(), 1);
    EXPECT_EQ(editor.snapshotter->callCount(), 1);

    editor.snapshotter->failNext(WindowSnapshotError::Kind::targetUnavailable);
    editor.load(true);
    EXPECT_EQ(failureOf(editor.model.state()),
        (Failure{QStringLiteral("The selected window is no longer available."), true}));
    EXPECT_FALSE(editor.model.snapshot());
    EXPECT_EQ(editor.model.areas().size(), 1) << "the drafts stay";

    editor.snapshotter->failNext(WindowSnapshotError::Kind::captureFailed);
    editor.load(true);
    EXPECT_EQ(failureOf(editor.model.state()),
        (Failure{QStringLiteral("Veyra couldn't capture the selected window."), false}));

    // A store file of a newer format cannot be read.
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("capture-areas.json"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"schemaVersion": 99, "coordinateMode": "windowPixels", "profiles": []})");
    file.close();
    auto snapshotter = std::make_shared<FakeWindowSnapshotter>();
    CaptureAreaEditorModel model(snapshotter, std::make_shared<FileCaptureAreaStore>(QUrl::fromLocalFile(path)));
    runTask(model.load(exampleGameTarget(), false));
    EXPECT_EQ(failureOf(model.state()),
        (Failure{QStringLiteral("The saved capture areas use an unsupported format."), false}));
    EXPECT_FALSE(model.snapshot());
}

TEST(CaptureAreaEditorModel, AnOvertakenLoadHasNoEffect)
{
    Editor editor;
    editor.snapshotter->holdNext();
    QCoro::Task<void> first = editor.model.load(exampleGameTarget(), false);
    EXPECT_EQ(editor.model.state().kind, Kind::loading);
    // The window is closed while the snapshot is being taken.
    editor.model.reset();
    editor.snapshotter->gate().releaseAll();
    runTask(std::move(first));
    EXPECT_EQ(editor.model.state().kind, Kind::idle);
    EXPECT_FALSE(editor.model.snapshot());
    EXPECT_FALSE(editor.model.target());

    // Of two loads, the one started last decides, whichever finishes last.
    editor.snapshotter->holdNext();
    QCoro::Task<void> older = editor.model.load(exampleGameTarget(), false);
    editor.snapshotter->setImage(filledImage(800, 600));
    editor.load(true);
    EXPECT_EQ(editor.model.snapshot()->image.size(), QSize(800, 600));
    editor.snapshotter->gate().releaseAll();
    runTask(std::move(older));
    EXPECT_EQ(editor.model.state().kind, Kind::ready);
    EXPECT_EQ(editor.model.snapshot()->image.size(), QSize(800, 600));

    // A model destroyed while waiting is never touched again.
    auto snapshotter = std::make_shared<FakeWindowSnapshotter>();
    snapshotter->holdNext();
    auto doomed = std::make_unique<CaptureAreaEditorModel>(snapshotter, std::make_shared<InMemoryCaptureAreaStore>());
    QCoro::Task<void> orphan = doomed->load(exampleGameTarget(), false);
    doomed.reset();
    snapshotter->gate().releaseAll();
    runTask(std::move(orphan));
}

TEST(CaptureAreaEditorModel, EditingAddsSelectsRenamesAndDeletes)
{
    Editor editor(filledImage(1000, 600));
    editor.model.addArea();
    EXPECT_TRUE(editor.model.areas().isEmpty()) << "no snapshot, no area";
    editor.load();

    editor.model.addArea();
    EXPECT_EQ(editor.model.areas()[0], CaptureAreaDraft::centeredDefault(QStringLiteral("box_1"), 1000, 600));
    EXPECT_EQ(editor.model.selection(), QStringLiteral("box_1"));
    editor.model.addArea();
    editor.model.addArea();
    EXPECT_EQ(
        idsOf(editor.model), (QStringList{QStringLiteral("box_1"), QStringLiteral("box_2"), QStringLiteral("box_3")}));
    // The gap left by a deleted area is filled first.
    editor.model.select(QStringLiteral("box_2"));
    editor.model.deleteSelectedArea();
    EXPECT_FALSE(editor.model.selection());
    editor.model.addArea();
    EXPECT_EQ(
        idsOf(editor.model), (QStringList{QStringLiteral("box_1"), QStringLiteral("box_3"), QStringLiteral("box_2")}));

    // Renaming onto an id in use is refused; renaming to the same id clears the message.
    editor.model.renameSelectedArea(QStringLiteral("box_1"));
    EXPECT_EQ(textOf(editor.model.persistenceError()), QStringLiteral("Each box ID must be unique."));
    EXPECT_EQ(editor.model.selection(), QStringLiteral("box_2"));
    editor.model.renameSelectedArea(QStringLiteral("box_2"));
    EXPECT_FALSE(editor.model.persistenceError());
    // The text is used as typed; only saving checks it.
    editor.model.renameSelectedArea(QStringLiteral("name with spaces"));
    EXPECT_EQ(editor.model.selection(), QStringLiteral("name with spaces"));
    EXPECT_EQ(editor.model.areas()[2].id, QStringLiteral("name with spaces"));

    // Regions are clamped into the snapshot; moving keeps the sampled colour.
    editor.model.select(QStringLiteral("box_1"));
    editor.model.pickBackground(QPointF(500, 300));
    const auto picked = editor.model.areas()[0];
    editor.model.updateRegion({900, -50, 300, 10}, QStringLiteral("box_1"));
    EXPECT_EQ(editor.model.areas()[0].searchRegion, (CaptureRegion{700, 0, 300, 10}));
    EXPECT_EQ(editor.model.areas()[0].backgroundPattern, picked.backgroundPattern);
    EXPECT_EQ(editor.model.areas()[0].backgroundSampleCoverage, picked.backgroundSampleCoverage);
    editor.model.updateRegion({0, 0, 10, 10}, QStringLiteral("missing"));
    EXPECT_EQ(editor.model.areas()[0].searchRegion, (CaptureRegion{700, 0, 300, 10}));

    editor.model.reset();
    EXPECT_EQ(editor.model.state().kind, Kind::idle);
    EXPECT_TRUE(editor.model.areas().isEmpty());
    EXPECT_FALSE(editor.model.profileKey());
}

TEST(CaptureAreaEditorModel, TheEyedropperLocksTheSelectionAndSamplesInsideTheArea)
{
    // Background colour everywhere, a 10 x 40 area whose left 7 columns are one colour.
    QImage image = filledImage(200, 100, QColor(200, 200, 200));
    for (int y = 20; y < 60; ++y) {
        for (int x = 50; x < 57; ++x) {
            image.setPixel(x, y, qRgb(16, 48, 80));
        }
    }
    Editor editor(image);
    editor.load();
    editor.model.addArea();
    editor.model.addArea();
    editor.model.updateRegion({50, 20, 10, 40}, QStringLiteral("box_1"));
    editor.model.select(QStringLiteral("box_1"));

    editor.model.toggleBackgroundPicking();
    EXPECT_TRUE(editor.model.isPickingBackground());
    editor.model.select(QStringLiteral("box_2"));
    editor.model.select(std::nullopt);
    EXPECT_EQ(editor.model.selection(), QStringLiteral("box_1")) << "the selection is locked";
    editor.model.select(QStringLiteral("box_1"));

    // A click 3 pixels left of the area samples the 10 x 15 rectangle at its left edge.
    editor.model.pickBackground(QPointF(46.6, 39.5));
    EXPECT_FALSE(editor.model.isPickingBackground());
    const CaptureAreaDraft area = editor.model.areas()[0];
    EXPECT_EQ(area.backgroundPattern, (DialogueBackgroundPattern{16, 48, 80}));
    ASSERT_TRUE(area.backgroundSampleCoverage);
    EXPECT_DOUBLE_EQ(*area.backgroundSampleCoverage, 0.7);
    EXPECT_FALSE(editor.model.persistenceError());

    // Deleting the selected area while armed leaves the mode on with nothing to pick.
    editor.model.toggleBackgroundPicking();
    editor.model.deleteSelectedArea();
    EXPECT_TRUE(editor.model.isPickingBackground());
    editor.model.select(QStringLiteral("box_2"));
    EXPECT_FALSE(editor.model.selection());
    editor.model.pickBackground(QPointF(100, 50));
    EXPECT_FALSE(editor.model.areas()[0].backgroundPattern);
    editor.model.addArea();
    EXPECT_EQ(editor.model.selection(), QStringLiteral("box_1"));

    // An empty snapshot gives nothing to analyse: the mode stays armed.
    Editor empty{QImage()};
    empty.load();
    empty.model.addArea();
    empty.model.toggleBackgroundPicking();
    empty.model.pickBackground(QPointF(0, 0));
    EXPECT_EQ(textOf(empty.model.persistenceError()), QStringLiteral("Veyra couldn't analyze this background point."));
    EXPECT_TRUE(empty.model.isPickingBackground());
}

TEST(CaptureAreaEditorModel, APickSamplesAroundTheNearestPixelAndAFreshLoadDisarmsTheEyedropper)
{
    // Navy but for a grey row 17 and column 17.
    QImage image = filledImage(100, 100, QColor(16, 48, 80));
    for (int i = 0; i < 100; ++i) {
        image.setPixel(17, i, qRgb(200, 200, 200));
        image.setPixel(i, 17, qRgb(200, 200, 200));
    }
    Editor editor(image);
    editor.load();
    editor.model.addArea();
    editor.model.updateRegion({0, 0, 100, 100}, QStringLiteral("box_1"));
    editor.model.toggleBackgroundPicking();
    // 9.5, 9.6 is nearest to pixel 10, 10: the square 3...17 takes in the grey row and column.
    editor.model.pickBackground(QPointF(9.5, 9.6));
    const CaptureAreaDraft area = editor.model.areas()[0];
    EXPECT_EQ(area.backgroundPattern, (DialogueBackgroundPattern{16, 48, 80}));
    ASSERT_TRUE(area.backgroundSampleCoverage);
    EXPECT_NEAR(*area.backgroundSampleCoverage, 196.0 / 225.0, 1e-9);

    // Armed again, then the snapshot is taken anew: the eyedropper is off.
    editor.model.toggleBackgroundPicking();
    ASSERT_TRUE(editor.model.isPickingBackground());
    editor.load(true);
    EXPECT_EQ(editor.model.state().kind, Kind::ready);
    EXPECT_FALSE(editor.model.isPickingBackground());
}

TEST(CaptureAreaEditorModel, ValidationReportsTheFirstBrokenRule)
{
    Editor editor(filledImage(1000, 600));
    editor.load();
    EXPECT_EQ(editor.model.validationMessage(), QStringLiteral("Add at least one capture area before saving."));
    editor.model.addArea();
    editor.model.addArea();
    EXPECT_EQ(editor.model.validationMessage(), QStringLiteral("Choose a background for box_1 before saving."));
    editor.model.select(QStringLiteral("box_1"));
    editor.model.pickBackground(QPointF(500, 300));
    EXPECT_EQ(editor.model.validationMessage(), QStringLiteral("Choose a background for box_2 before saving."));

    // The character rule comes before duplicates, and must hold for the whole text.
    const QString characters = QStringLiteral("Box IDs may contain only letters, numbers, underscores, and hyphens.");
    editor.model.select(QStringLiteral("box_2"));
    editor.model.renameSelectedArea(QStringLiteral("box_1\n"));
    EXPECT_EQ(editor.model.validationMessage(), characters);
    editor.model.renameSelectedArea(QStringLiteral("box 1"));
    EXPECT_EQ(editor.model.validationMessage(), characters);
    editor.model.renameSelectedArea(QString());
    EXPECT_EQ(editor.model.validationMessage(), characters);
    editor.model.renameSelectedArea(QStringLiteral("Box-9_a"));
    EXPECT_EQ(editor.model.validationMessage(), QStringLiteral("Choose a background for Box-9_a before saving."));
    editor.model.pickBackground(QPointF(500, 300));
    EXPECT_FALSE(editor.model.validationMessage());
}

TEST(CaptureAreaEditorModel, SavingWritesTheSnapshotSizeAndAFailureKeepsTheDrafts)
{
    QTemporaryDir folder;
    // The store's folder is blocked by a plain file, so the first save cannot be written.
    const QString storeFolder = folder.filePath(QStringLiteral("store"));
    QFile blocker(storeFolder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QUrl storeURL = QUrl::fromLocalFile(storeFolder + QStringLiteral("/capture-areas.json"));

    auto snapshotter = std::make_shared<FakeWindowSnapshotter>();
    snapshotter->setImage(filledImage(1280, 720));
    CaptureAreaEditorModel model(snapshotter, std::make_shared<FileCaptureAreaStore>(storeURL));
    EXPECT_FALSE(model.save()) << "no snapshot yet";
    runTask(model.load(exampleGameTarget(), false));
    EXPECT_FALSE(model.save()) << "refused by validation";
    EXPECT_FALSE(model.persistenceError());

    model.addArea();
    model.pickBackground(QPointF(640, 360));
    model.addArea();
    model.updateRegion({10, 20, 300, 100}, QStringLiteral("box_2"));
    model.pickBackground(QPointF(100, 50));
    const QVector<CaptureAreaDraft> drafts = model.areas();

    EXPECT_FALSE(model.save());
    ASSERT_TRUE(model.persistenceError());
    const QString saveFailure = model.persistenceError()->localized();
    EXPECT_TRUE(saveFailure.startsWith(QStringLiteral("Veyra couldn't save the capture areas: ")))
        << saveFailure.toStdString();
    EXPECT_EQ(model.areas(), drafts);
    EXPECT_TRUE(model.snapshot());

    // Once the folder can be made, the same drafts save.
    ASSERT_TRUE(QFile::remove(storeFolder));
    EXPECT_TRUE(model.save());
    EXPECT_FALSE(model.persistenceError());
    const std::optional<CaptureAreaProfile> saved
        = FileCaptureAreaStore(storeURL).profile(*exampleGameTarget().profileKey());
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->referenceImageWidth, 1280);
    EXPECT_EQ(saved->referenceImageHeight, 720);
    ASSERT_EQ(saved->areas.size(), 2);
    EXPECT_EQ(saved->areas[0].id, QStringLiteral("box_1"));
    EXPECT_EQ(
        saved->areas[1], (CaptureArea{QStringLiteral("box_2"), {10, 20, 300, 100}, *drafts[1].backgroundPattern}));
}
