// Test label: ui
// Choosing another window, again and again, as a player does during play: the composition
// root in fixture mode, the overlay's "Choose Another Window", the set-up screen's window
// picker (the fixture game's application, its window, "Play with Veyra"), back into play.
// Every re-pick builds the set-up screen, the picker and the minimum-version screen anew
// and refills the menus (the player opens the application menu too). After each, the
// player opens the capture-area editor from the overlay and drags an area across the
// game's picture (the editor refreshes its buttons at every move), then closes it. Once
// the first round has made whatever lasts, more rounds leave the application's live
// objects, and the pictures it keeps in Qt's pixmap cache, where they were.
#include "app/root/ApplicationScenes.h"
#include "app/root/ObriskApp.h"
#include "app/session/AppSession.h"
#include "capture/windows/WindowCatalogProviding.h"
#include "editor/canvas/CaptureAreaCanvas.h"
#include "editor/canvas/CaptureRegionOverlay.h"
#include "editor/guide/CaptureAreaGuideModel.h"
#include "editor/model/CaptureAreaEditorModel.h"
#include "editor/views/CaptureAreaEditorView.h"
#include "foundation/async/AsyncTask.h"
#include "foundation/settings/UserDefaults.h"
#include "overlay/panels/OverlayPanelController.h"
#include "support/RunTask.h"
#include "support/WidgetLookup.h"

// Declares QPixmapCache::totalUsed(), which Qt exports for its own tests.
#define Q_TEST_QPIXMAPCACHE
#include <QPixmapCache>

#include <QMainWindow>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <unordered_set>
#include <utility>

// Qt's hooks for tools that follow objects (GammaRay's): called as every QObject is made
// and destroyed, on whatever thread.
extern Q_DECL_IMPORT quintptr qtHookData[];

using namespace veyra;
using namespace veyra::test;

namespace {

// The QObjects alive while it is installed, through Qt's object hooks.
class LiveObjects
{
public:
    LiveObjects()
    {
        s_live = this;
        m_previousAdd = std::exchange(qtHookData[addQObjectHook], reinterpret_cast<quintptr>(&added));
        m_previousRemove = std::exchange(qtHookData[removeQObjectHook], reinterpret_cast<quintptr>(&removed));
    }
    ~LiveObjects()
    {
        qtHookData[addQObjectHook] = m_previousAdd;
        qtHookData[removeQObjectHook] = m_previousRemove;
        s_live = nullptr;
    }
    LiveObjects(const LiveObjects &) = delete;
    LiveObjects &operator=(const LiveObjects &) = delete;

    // How many objects of each class are alive now (made since it was installed).
    std::map<std::string, int> census() const
    {
        const std::lock_guard lock(m_mutex);
        std::map<std::string, int> classes;
        for (const QObject *object : m_objects) {
            ++classes[object->metaObject()->className()];
        }
        return classes;
    }

private:
    // The indices of QHooks::AddQObject and QHooks::RemoveQObject (qhooks_p.h).
    static constexpr int addQObjectHook = 3;
    static constexpr int removeQObjectHook = 4;

    static void added(QObject *object)
    {
        const std::lock_guard lock(s_live->m_mutex);
        s_live->m_objects.insert(object);
    }
    static void removed(QObject *object)
    {
        const std::lock_guard lock(s_live->m_mutex);
        s_live->m_objects.erase(object);
    }

    static inline LiveObjects *s_live = nullptr;
    mutable std::mutex m_mutex;
    std::unordered_set<const QObject *> m_objects;
    quintptr m_previousAdd = 0;
    quintptr m_previousRemove = 0;
};

// The KiB of pictures in Qt's pixmap cache. The cache tells only whole MiB, rounded up:
// pictures of 1 KiB each (16 x 16 at 32 bits) are added until the next MiB begins, which
// tells the KiB before them, and are then removed.
int pixmapCacheKiB()
{
    const int mebibytes = QPixmapCache::totalUsed();
    QPixmap kibibyte(16, 16);
    kibibyte.fill(Qt::transparent);
    QVector<QPixmapCache::Key> probes;
    while (QPixmapCache::totalUsed() == mebibytes) {
        probes.append(QPixmapCache::insert(kibibyte));
    }
    for (const QPixmapCache::Key &probe : std::as_const(probes)) {
        QPixmapCache::remove(probe);
    }
    return mebibytes * 1024 + 1 - static_cast<int>(probes.size());
}

// The classes whose number of live objects differs, with both numbers.
std::string difference(const std::map<std::string, int> &before, const std::map<std::string, int> &after)
{
    std::map<std::string, std::pair<int, int>> classes;
    for (const auto &[name, count] : before) {
        classes[name].first = count;
    }
    for (const auto &[name, count] : after) {
        classes[name].second = count;
    }
    std::string text;
    for (const auto &[name, counts] : classes) {
        if (counts.first != counts.second) {
            text += name + ": " + std::to_string(counts.first) + " -> " + std::to_string(counts.second) + "\n";
        }
    }
    return text;
}

// Holds back the pixmap cache's own flushes: every 30 s after its first picture it drops
// pictures nobody used since the last flush, however little it holds, which would lower
// the KiB counted after the re-picks by whatever it dropped meanwhile.
class PixmapCacheFlushHold : public QObject
{
public:
    PixmapCacheFlushHold() { QCoreApplication::instance()->installEventFilter(this); }
    ~PixmapCacheFlushHold() override { QCoreApplication::instance()->removeEventFilter(this); }
    PixmapCacheFlushHold(const PixmapCacheFlushHold &) = delete;
    PixmapCacheFlushHold &operator=(const PixmapCacheFlushHold &) = delete;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        return event->type() == QEvent::Timer && std::strcmp(watched->metaObject()->className(), "QPMCache") == 0;
    }
};

} // namespace

TEST(WindowRepick, RepeatedRepicksLeaveTheLiveObjectsAndCachedPicturesWhereTheyWere)
{
    ASSERT_LT(pixmapCacheKiB(), QPixmapCache::cacheLimit() / 2) << "the cache's limit would hide what grows";
    const PixmapCacheFlushHold flushHold;
    const LiveObjects live;
    ObriskApp app(QStringList{QStringLiteral("veyra"), QStringLiteral("--ui-testing"),
                      QStringLiteral("--ui-testing-multiple-capture-areas")},
        mainInfoDictionary(), UserDefaults::standard());
    ApplicationScenes scenes(app);
    scenes.openWindow(QString::fromLatin1(ApplicationScenes::mainWindowIdentifier));
    QMainWindow *main = scenes.mainWindow();
    ASSERT_NE(main, nullptr);
    const QVector<CaptureApplicationGroup> groups = runTask(app.windowCatalog()->applicationGroups());
    ASSERT_FALSE(groups.isEmpty());
    const CaptureTarget game = groups.front().windows.front();

    // Picks the fixture game in the picker and plays until both areas show translations;
    // then lets the event loop finish what the change of screens left to it.
    const auto pickAndPlay = [&] {
        ASSERT_TRUE(waitUntil([&] { return app.session().phase() == AppPhase::choosing(); }));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
        // The player looks into the application menu (filled anew for the opening).
        auto *commands = main->findChild<QMenu *>();
        ASSERT_NE(commands, nullptr);
        commands->popup(main->mapToGlobal(QPoint(20, 20)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(commands));
        commands->repaint();
        commands->hide();
        ASSERT_TRUE(clickWhenReady(*main, QStringLiteral("app-group-%1").arg(groups.front().processID)));
        ASSERT_TRUE(clickWhenReady(*main, QStringLiteral("capture-window-%1").arg(game.windowID)));
        ASSERT_TRUE(clickWhenReady(*main, QStringLiteral("select-capture-window")));
        ASSERT_TRUE(waitUntil([&] { return app.session().phase() == AppPhase::overlay(game); }));
        ASSERT_TRUE(waitUntil([&] { return !main->isVisible(); }));
        ASSERT_TRUE(waitUntil(
            [&] {
                const auto rows = app.overlayController()->rowsByAreaID();
                return rows.size() == 2 && std::all_of(rows.begin(), rows.end(), [](const OverlayTextRow &row) {
                    return row.translationState == OverlayTranslationState::translated;
                });
            },
            20000));
        giveRemainingTurns();
    };
    const auto editAreas = [&] {
        app.overlayController()->onRequestCaptureAreaEditor()();
        CaptureAreaEditorView *editor = scenes.captureAreaEditorWindow();
        ASSERT_NE(editor, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(editor));
        ASSERT_TRUE(
            waitUntil([&] { return editor->model().state().kind == CaptureAreaEditorModel::State::Kind::ready; }));
        if (editor->guideModel().isPresented()) {
            editor->guideModel().close();
        }
        CaptureAreaCanvas &canvas = editor->canvas();
        ASSERT_FALSE(canvas.overlays().isEmpty());
        const QPoint from = canvas.overlays().back()->geometry().center();
        const CaptureRegion dragged = editor->model().areas().back().searchRegion;
        QTest::mousePress(&canvas, Qt::LeftButton, {}, from);
        constexpr int moves = 40;
        for (int move = 1; move <= moves; ++move) {
            QTest::mouseMove(&canvas, from + QPoint(move, move / 2));
            // Drawn as the player sees it.
            QTest::qWait(5);
        }
        QTest::mouseRelease(&canvas, Qt::LeftButton, {}, from + QPoint(moves, moves / 2));
        ASSERT_NE(editor->model().areas().back().searchRegion, dragged) << "the area did not follow the drag";
        editor->close();
        ASSERT_TRUE(waitUntil([&] { return !editor->isVisible(); }));
        giveRemainingTurns();
    };
    const auto repick = [&] {
        app.overlayController()->onRequestChooseAnotherWindow()();
        ASSERT_TRUE(waitUntil([&] { return main->isVisible(); }));
        pickAndPlay();
        editAreas();
    };

    pickAndPlay();
    // The first round makes what stays for the run (the screens' shared looks, the
    // menus' last filling, the editor's window).
    editAreas();
    repick();
    ASSERT_FALSE(HasFatalFailure());
    const std::map<std::string, int> objects = live.census();
    const int cachedKiB = pixmapCacheKiB();

    constexpr int repicks = 4;
    for (int round = 0; round < repicks && !HasFatalFailure(); ++round) {
        repick();
    }
    ASSERT_FALSE(HasFatalFailure());
    const std::map<std::string, int> objectsAfter = live.census();
    EXPECT_TRUE(objectsAfter == objects) << "live objects by class, before and after " << repicks << " more re-picks:\n"
                                         << difference(objects, objectsAfter);
    EXPECT_EQ(pixmapCacheKiB(), cachedKiB) << "KiB of pictures in the pixmap cache";
}
