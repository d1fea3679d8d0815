// Test label: ui
#include "capture/areas/InMemoryCaptureAreaStore.h"
#include "editor/guide/CaptureAreaEditingGuideView.h"
#include "editor/guide/CaptureAreaGuideIllustration.h"
#include "editor/guide/CaptureAreaGuideModel.h"
#include "editor/guide/CaptureAreaGuideStoreFactory.h"
#include "editor/guide/InMemoryCaptureAreaGuideStore.h"
#include "editor/guide/UserDefaultsCaptureAreaGuideStore.h"
#include "editor/model/CaptureAreaEditorModel.h"
#include "editor/views/CaptureAreaEditorView.h"
#include "foundation/language/ClientLanguage.h"
#include "foundation/settings/UserDefaults.h"
#include "support/ExampleGameTarget.h"
#include "support/FakeCaptureAreaEditorSession.h"
#include "support/FakeWindowSnapshotter.h"
#include "support/RunTask.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;

namespace {

// Counts the reads, to show when the model consults the store.
class CountingGuideStore : public InMemoryCaptureAreaGuideStore
{
public:
    using InMemoryCaptureAreaGuideStore::InMemoryCaptureAreaGuideStore;
    std::optional<qint64> lastSeenVersion() const override
    {
        ++reads;
        return InMemoryCaptureAreaGuideStore::lastSeenVersion();
    }
    mutable int reads = 0;
};

} // namespace

TEST(CaptureAreaGuide, TheUserDefaultsStoreReadsOnlyNumbers)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("defaults.json"));
    {
        UserDefaults defaults(path);
        UserDefaultsCaptureAreaGuideStore store(defaults);
        EXPECT_FALSE(store.lastSeenVersion());
        defaults.setValue(UserDefaultsCaptureAreaGuideStore::key, QStringLiteral("5"));
        EXPECT_FALSE(store.lastSeenVersion()) << "a string is not a version";
        defaults.setValue(UserDefaultsCaptureAreaGuideStore::key, QByteArray("5"));
        EXPECT_FALSE(store.lastSeenVersion());
        defaults.setValue(UserDefaultsCaptureAreaGuideStore::key, 5.7);
        EXPECT_EQ(store.lastSeenVersion(), 5);
        store.setLastSeenVersion(std::nullopt);
        EXPECT_FALSE(defaults.contains(UserDefaultsCaptureAreaGuideStore::key));
        store.setLastSeenVersion(5);
    }
    // Written as an integer, and still there for the next launch.
    UserDefaults reopened(path);
    EXPECT_EQ(reopened.object(UserDefaultsCaptureAreaGuideStore::key).typeId(), QMetaType::LongLong);
    EXPECT_EQ(UserDefaultsCaptureAreaGuideStore(reopened).lastSeenVersion(), 5);

    UserDefaults defaults(folder.filePath(QStringLiteral("other.json")));
    EXPECT_FALSE(makeCaptureAreaGuideStore(true, true, defaults)->lastSeenVersion());
    EXPECT_EQ(makeCaptureAreaGuideStore(true, false, defaults)->lastSeenVersion(), 5);
    const auto live = makeCaptureAreaGuideStore(false, true, defaults);
    EXPECT_TRUE(dynamic_cast<UserDefaultsCaptureAreaGuideStore *>(live.get()));
}

TEST(CaptureAreaGuide, TheModelShowsEachGuideVersionUntilItIsClosed)
{
    for (const std::optional<qint64> unseen :
        {std::optional<qint64>(), std::optional<qint64>(4), std::optional<qint64>(-1)}) {
        CaptureAreaGuideModel model(std::make_shared<InMemoryCaptureAreaGuideStore>(unseen));
        model.presentIfNeeded();
        EXPECT_TRUE(model.isPresented());
    }
    for (const qint64 seen : {5, 6}) {
        CaptureAreaGuideModel model(std::make_shared<InMemoryCaptureAreaGuideStore>(seen));
        model.presentIfNeeded();
        EXPECT_FALSE(model.isPresented());
    }

    auto store = std::make_shared<CountingGuideStore>(std::nullopt);
    CaptureAreaGuideModel model(store);
    EXPECT_EQ(store->reads, 0) << "constructing reads nothing";
    model.presentIfNeeded();
    model.presentIfNeeded();
    EXPECT_EQ(store->reads, 1) << "no read while the guide is up";
    EXPECT_FALSE(store->InMemoryCaptureAreaGuideStore::lastSeenVersion()) << "showing records nothing";
    model.close();
    EXPECT_FALSE(model.isPresented());
    EXPECT_EQ(store->InMemoryCaptureAreaGuideStore::lastSeenVersion(), 5);
    model.presentIfNeeded();
    EXPECT_FALSE(model.isPresented());

    // The toolbar button shows it whatever is stored; closing writes 5, even over a 6.
    store->setLastSeenVersion(6);
    const int readsBefore = store->reads;
    model.setPresented(true);
    EXPECT_TRUE(model.isPresented());
    EXPECT_EQ(store->reads, readsBefore);
    model.close();
    EXPECT_EQ(store->InMemoryCaptureAreaGuideStore::lastSeenVersion(), 5);
}

TEST(CaptureAreaGuide, TheGuideViewHasItsFixedLayoutAndCallsDoneOnly)
{
    int doneCount = 0;
    CaptureAreaEditingGuideView view([&doneCount] { ++doneCount; });
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_EQ(view.objectName(), QStringLiteral("capture-area-guide"));
    EXPECT_EQ(view.size(), QSize(920, 650));
    EXPECT_EQ(view.illustration().width(), 570);
    EXPECT_EQ(view.illustration().height(), 650);

    const auto geometry = CaptureAreaGuideIllustrationGeometry::forSize(QSizeF(570, 650));
    EXPECT_EQ(geometry.dialogueBox, QRectF(57, 65, 456, 162.5));
    EXPECT_EQ(geometry.searchArea, QRectF(11.4, 48.75, 547.2, 195));
    EXPECT_NEAR(geometry.samplePoint.x(), 440.04, 1e-9);
    EXPECT_NEAR(geometry.samplePoint.y(), 195, 1e-9);

    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(doneCount, 1);
    auto *done = view.findChild<QPushButton *>(QStringLiteral("capture-area-guide-done"));
    ASSERT_TRUE(done);
    QTest::mouseClick(done, Qt::LeftButton);
    EXPECT_EQ(doneCount, 2);
    EXPECT_TRUE(view.isVisible()) << "the guide never dismisses itself";

    // Every text wraps inside the 294 points between the paddings; none is cut off.
    for (QLabel *label : view.findChildren<QLabel *>()) {
        if (!label->text().isEmpty() && label->wordWrap()) {
            EXPECT_LE(label->width(), 294) << label->text().toStdString();
            EXPECT_GE(label->height(), label->heightForWidth(label->width())) << label->text().toStdString();
        }
    }

    // In Korean the texts change, the speaker's name does not.
    setCurrentClientLanguage(ClientLanguage::korean);
    view.retranslate();
    EXPECT_EQ(done->text(), QStringLiteral("완료"));
    EXPECT_EQ(CaptureAreaGuideIllustration::speakerName(), QStringLiteral("MIRA"));
    setCurrentClientLanguage(ClientLanguage::english);
    view.retranslate();
    EXPECT_EQ(done->text(), QStringLiteral("Done"));
}

TEST(CaptureAreaGuide, AnEditorShowsTheGuideOncePerGuideVersion)
{
    QTemporaryDir folder;
    UserDefaults defaults(folder.filePath(QStringLiteral("defaults.json")));
    auto guideStore = std::make_shared<UserDefaultsCaptureAreaGuideStore>(defaults);
    auto session = std::make_shared<FakeCaptureAreaEditorSession>();
    session->target = exampleGameTarget();
    auto snapshotter = std::make_shared<FakeWindowSnapshotter>();
    auto store = std::make_shared<InMemoryCaptureAreaStore>();
    const auto makeEditor = [&] {
        return std::make_unique<CaptureAreaEditorView>(session,
            std::make_unique<CaptureAreaEditorModel>(snapshotter, store),
            std::make_unique<CaptureAreaGuideModel>(guideStore));
    };

    // A load that fails shows no guide, and neither does a successful "Try Again".
    auto editor = makeEditor();
    snapshotter->failNext(WindowSnapshotError::Kind::captureFailed);
    editor->show();
    ASSERT_TRUE(waitUntil([&] { return editor->model().state().kind == CaptureAreaEditorModel::State::Kind::failed; }));
    auto *tryAgain = editor->findChild<QPushButton *>(QStringLiteral("capture-area-try-again"));
    ASSERT_TRUE(tryAgain && tryAgain->isVisible());
    QTest::mouseClick(tryAgain, Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return editor->model().state().kind == CaptureAreaEditorModel::State::Kind::ready; }));
    EXPECT_FALSE(editor->guideModel().isPresented());
    editor->close();

    // The first editor that reaches a snapshot shows it; Done records the version.
    editor->show();
    ASSERT_TRUE(waitUntil([&] { return editor->guideSheet().isVisible(); }));
    EXPECT_TRUE(editor->guideModel().isPresented());
    auto *done = editor->guideSheet().findChild<QPushButton *>(QStringLiteral("capture-area-guide-done"));
    ASSERT_TRUE(done);
    QTest::mouseClick(done, Qt::LeftButton);
    EXPECT_FALSE(editor->guideSheet().isVisible());
    EXPECT_EQ(defaults.integer(UserDefaultsCaptureAreaGuideStore::key), 5);
    editor->close();

    // The next editor does not show it again.
    editor = makeEditor();
    editor->show();
    ASSERT_TRUE(waitUntil([&] { return editor->model().state().kind == CaptureAreaEditorModel::State::Kind::ready; }));
    QTest::qWait(0);
    EXPECT_FALSE(editor->guideSheet().isVisible());

    // "Editing Guide" shows it anyway; dismissing the sheet with Escape also records it.
    defaults.setValue(UserDefaultsCaptureAreaGuideStore::key, 6);
    auto *guideButton = editor->findChild<QPushButton *>(QStringLiteral("capture-area-editing-guide"));
    ASSERT_TRUE(guideButton);
    QTest::mouseClick(guideButton, Qt::LeftButton);
    ASSERT_TRUE(editor->guideSheet().isVisible());
    QTest::keyClick(&editor->guideSheet(), Qt::Key_Escape);
    EXPECT_FALSE(editor->guideModel().isPresented());
    EXPECT_EQ(defaults.integer(UserDefaultsCaptureAreaGuideStore::key), 5);
}
