// Test label: ui
#include "editor/views/CaptureAreaEditorView.h"
#include "capture/areas/FileCaptureAreaStore.h"
#include "editor/canvas/CaptureAreaCanvas.h"
#include "editor/guide/CaptureAreaGuideModel.h"
#include "editor/guide/InMemoryCaptureAreaGuideStore.h"
#include "editor/model/CaptureAreaEditorModel.h"
#include "editor/views/CaptureAreaSaveFailureAlert.h"
#include "foundation/language/ClientLanguage.h"
#include "foundation/language/InterfaceLanguageChange.h"
#include "foundation/language/LocalizedString.h"
#include "support/ExampleGameTarget.h"
#include "support/FakeCaptureAreaEditorSession.h"
#include "support/FakeWindowSnapshotter.h"
#include "support/RunTask.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;
using Kind = CaptureAreaEditorModel::State::Kind;

namespace {

// A 1000 x 500 snapshot: grey, with a 10 x 10 patch at 100, 100 of which the first 69
// pixels (row by row) are navy, and one at 300, 100 with 70 navy pixels.
QImage snapshotImage()
{
    QImage image(1000, 500, QImage::Format_RGB32);
    image.fill(QColor(150, 150, 150));
    for (int i = 0; i < 100; ++i) {
        if (i < 69) {
            image.setPixel(100 + i % 10, 100 + i / 10, qRgb(16, 48, 80));
        }
        if (i < 70) {
            image.setPixel(300 + i % 10, 100 + i / 10, qRgb(16, 48, 80));
        }
    }
    return image;
}

class CaptureAreaEditorViewTest : public ::testing::Test
{
protected:
    CaptureAreaEditorViewTest()
        : session(std::make_shared<FakeCaptureAreaEditorSession>())
        , snapshotter(std::make_shared<FakeWindowSnapshotter>())
        , storeURL(QUrl::fromLocalFile(folder.filePath(QStringLiteral("store/capture-areas.json"))))
    {
        session->target = exampleGameTarget();
        snapshotter->setImage(snapshotImage());
        view = std::make_unique<CaptureAreaEditorView>(session,
            std::make_unique<CaptureAreaEditorModel>(snapshotter, std::make_shared<FileCaptureAreaStore>(storeURL)),
            std::make_unique<CaptureAreaGuideModel>(std::make_shared<InMemoryCaptureAreaGuideStore>(5)));
        view->resize(1100, 720);
    }
    ~CaptureAreaEditorViewTest() override { setCurrentClientLanguage(ClientLanguage::english); }

    // Switches the interface language and lets the views relabel.
    static void switchLanguage(ClientLanguage language)
    {
        setCurrentClientLanguage(language);
        announceInterfaceLanguageChange();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    }

    template <typename T = QWidget>
    T *find(const char *name) const
    {
        T *widget = view->findChild<T *>(QString::fromLatin1(name));
        EXPECT_TRUE(widget) << name;
        return widget;
    }
    bool shows(const char *name) const { return find(name) && find(name)->isVisible(); }
    QString text(const char *name) const
    {
        if (auto *label = find<QLabel>(name)) {
            return label->text();
        }
        return {};
    }
    void showAndLoad()
    {
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        ASSERT_TRUE(waitUntil([this] { return view->model().state().kind == Kind::ready; }));
    }
    void clickButton(const char *name) { QTest::mouseClick(find<QPushButton>(name), Qt::LeftButton); }
    // A click on the canvas at a snapshot pixel.
    void clickPixel(QPointF pixel)
    {
        CaptureAreaCanvas &canvas = view->canvas();
        const QRectF image = canvas.transform().fittedImageRect();
        const double scale = canvas.transform().scale();
        const QPoint at = canvas.mapTo(view.get(), (image.topLeft() + pixel * scale).toPoint());
        QTest::mouseClick(view->windowHandle(), Qt::LeftButton, {}, at);
    }

    QTemporaryDir folder;
    std::shared_ptr<FakeCaptureAreaEditorSession> session;
    std::shared_ptr<FakeWindowSnapshotter> snapshotter;
    QUrl storeURL;
    std::unique_ptr<CaptureAreaEditorView> view;
};

} // namespace

TEST_F(CaptureAreaEditorViewTest, WithoutATargetTheProgressTextStays)
{
    session->target.reset();
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    QTest::qWait(0);
    EXPECT_TRUE(shows("capture-area-progress"));
    EXPECT_EQ(text("capture-area-progress"), QStringLiteral("Capturing the selected window…"));
    EXPECT_EQ(snapshotter->callCount(), 0);
    EXPECT_FALSE(find<QPushButton>("add-capture-area")->isEnabled());
    EXPECT_FALSE(shows("cancel-capture-areas"));
}

TEST_F(CaptureAreaEditorViewTest, FailuresOfferTheRightWayOut)
{
    snapshotter->failNext(WindowSnapshotError::Kind::targetUnavailable);
    view->show();
    ASSERT_TRUE(waitUntil([this] { return view->model().state().kind == Kind::failed; }));
    EXPECT_EQ(text("capture-area-failure-message"), QStringLiteral("The selected window is no longer available."));
    // The message on screen is worded again when the interface language changes.
    switchLanguage(ClientLanguage::japanese);
    EXPECT_EQ(text("capture-area-failure-message"), QStringLiteral("選択したウインドウは使用できなくなりました。"));
    switchLanguage(ClientLanguage::english);
    EXPECT_TRUE(shows("capture-area-choose-another-window"));
    EXPECT_FALSE(shows("capture-area-try-again"));
    EXPECT_TRUE(shows("capture-area-failure-cancel"));
    clickButton("capture-area-choose-another-window");
    EXPECT_EQ(session->chooseAnotherWindowCount, 1);
    EXPECT_FALSE(view->isVisible());
    EXPECT_EQ(view->model().state().kind, Kind::idle);

    // Another failure, with a target: "Try Again" loads again although the state is failed.
    snapshotter->failNext(WindowSnapshotError::Kind::captureFailed);
    view->show();
    ASSERT_TRUE(waitUntil([this] { return view->model().state().kind == Kind::failed; }));
    EXPECT_FALSE(shows("capture-area-choose-another-window"));
    EXPECT_TRUE(shows("capture-area-try-again"));
    clickButton("capture-area-try-again");
    ASSERT_TRUE(waitUntil([this] { return view->model().state().kind == Kind::ready; }));
    EXPECT_TRUE(view->canvas().isVisible());
    EXPECT_EQ(session->chooseAnotherWindowCount, 1);
}

TEST_F(CaptureAreaEditorViewTest, AreasAreAddedPickedWarnedAboutAndSaved)
{
    showAndLoad();
    EXPECT_EQ(text("capture-area-validation"), QStringLiteral("Add at least one capture area before saving."));
    EXPECT_FALSE(find<QPushButton>("save-capture-areas")->isEnabled());
    EXPECT_FALSE(find<QPushButton>("pick-capture-background")->isEnabled());
    EXPECT_FALSE(find<QPushButton>("delete-capture-area")->isEnabled());

    clickButton("add-capture-area");
    EXPECT_EQ(find<QLineEdit>("capture-area-id")->text(), QStringLiteral("box_1"));
    EXPECT_EQ(text("capture-area-region-type"), QStringLiteral("Dialogue Search"));
    EXPECT_EQ(text("capture-area-left-value"), QStringLiteral("300"));
    EXPECT_EQ(text("capture-area-width-value"), QStringLiteral("400"));
    EXPECT_EQ(text("capture-area-validation"), QStringLiteral("Choose a background for box_1 before saving."));
    EXPECT_FALSE(shows("capture-background-rgb"));
    view->model().updateRegion({100, 100, 10, 10}, QStringLiteral("box_1"));
    EXPECT_EQ(text("capture-area-height-value"), QStringLiteral("10"));

    // Armed, the background button reads "Click Background…" in orange.
    auto *background = find<QPushButton>("pick-capture-background");
    clickButton("pick-capture-background");
    EXPECT_EQ(background->text(), QStringLiteral("Click Background…"));
    const auto fillOf = [background] {
        const QImage image = background->grab().toImage();
        return QColor(image.pixel(3, image.height() / 2));
    };
    EXPECT_EQ(fillOf(), QColor(255, 149, 0));
    EXPECT_TRUE(background->isEnabled());
    clickPixel({105, 105});
    EXPECT_EQ(background->text(), QStringLiteral("Pick Background"));
    EXPECT_NE(fillOf(), QColor(255, 149, 0));
    EXPECT_EQ(text("capture-background-rgb"), QStringLiteral("R 16  G 48  B 80"));
    EXPECT_TRUE(shows("capture-background-warning")) << "69 % of the sample is the colour";
    EXPECT_EQ(text("capture-background-warning"),
        QStringLiteral("Choose a more uniform background point for reliable detection."));
    EXPECT_FALSE(shows("capture-area-validation"));

    view->model().updateRegion({300, 100, 10, 10}, QStringLiteral("box_1"));
    clickButton("pick-capture-background");
    clickPixel({305, 105});
    EXPECT_FALSE(shows("capture-background-warning")) << "70 % is uniform enough";

    // Renaming through the field; a clash shows the message and keeps what was typed.
    clickButton("add-capture-area");
    QLineEdit *boxID = find<QLineEdit>("capture-area-id");
    boxID->selectAll();
    QTest::keyClicks(boxID, QStringLiteral("box_1"));
    EXPECT_EQ(boxID->text(), QStringLiteral("box_1"));
    EXPECT_EQ(text("capture-area-validation"), QStringLiteral("Each box ID must be unique."));
    QTest::keyClicks(boxID, QStringLiteral("b"));
    EXPECT_EQ(view->model().selection(), QStringLiteral("box_1b"));
    // The Delete key removes the selected area (outside the text field).
    view->canvas().setFocus();
    QTest::keyClick(view.get(), Qt::Key_Delete);
    EXPECT_EQ(view->model().areas().size(), 1);

    clickButton("save-capture-areas");
    EXPECT_FALSE(view->isVisible());
    ASSERT_EQ(session->preparedTargets.size(), 1);
    EXPECT_EQ(session->preparedTargets[0], exampleGameTarget());
    EXPECT_EQ(view->model().state().kind, Kind::idle);
    const auto saved = FileCaptureAreaStore(storeURL).profile(*exampleGameTarget().profileKey());
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->referenceImageWidth, 1000);
    ASSERT_EQ(saved->areas.size(), 1);
    EXPECT_EQ(saved->areas[0].searchRegion, (CaptureRegion{300, 100, 10, 10}));
}

TEST_F(CaptureAreaEditorViewTest, AStoreFailureKeepsTheWindowOpenWithTheReason)
{
    // The store's folder is a plain file, so nothing can be written.
    QFile blocker(folder.filePath(QStringLiteral("store")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    showAndLoad();
    clickButton("add-capture-area");
    view->model().pickBackground({500, 250});
    ASSERT_TRUE(find<QPushButton>("save-capture-areas")->isEnabled());
    // A window that stays above every other (the overlay's panel) lies over the middle of
    // the editor and its column.
    QWidget overlay(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    const QRect screen = view->screen()->availableGeometry();
    overlay.setGeometry(QRect(QPoint(0, 0), screen.size() / 2)
                            .translated(screen.center() - QPoint(screen.width() / 4, screen.height() / 4)));
    overlay.show();
    QTest::keyClick(view.get(), Qt::Key_Return);
    EXPECT_TRUE(view->isVisible());
    EXPECT_TRUE(text("capture-area-validation").startsWith(QStringLiteral("Veyra couldn't save the capture areas: ")))
        << text("capture-area-validation").toStdString();
    // The failure is also told in an alert over the editor that the overlay does not
    // cover, naming the folder that could not be made.
    auto *alert = view->findChild<CaptureAreaSaveFailureAlert *>();
    ASSERT_NE(alert, nullptr);
    ASSERT_TRUE(waitUntil([alert] { return alert->isVisible(); }));
    EXPECT_EQ(alert->text(), text("capture-area-validation"));
    EXPECT_TRUE(alert->text().contains(folder.filePath(QStringLiteral("store")))) << alert->text().toStdString();
    EXPECT_FALSE(alert->frameGeometry().intersects(overlay.frameGeometry()))
        << "alert at " << alert->frameGeometry().x() << "," << alert->frameGeometry().y() << " "
        << alert->frameGeometry().width() << "x" << alert->frameGeometry().height();
    EXPECT_TRUE(screen.contains(alert->frameGeometry()));
    switchLanguage(ClientLanguage::japanese);
    EXPECT_TRUE(
        text("capture-area-validation").startsWith(QStringLiteral("Veyraはキャプチャ領域を保存できませんでした: ")))
        << text("capture-area-validation").toStdString();
    EXPECT_EQ(alert->text(), text("capture-area-validation"));
    switchLanguage(ClientLanguage::korean);
    EXPECT_EQ(alert->buttons().value(0)->text(), QStringLiteral("확인"));
    switchLanguage(ClientLanguage::english);
    EXPECT_EQ(alert->buttons().value(0)->text(), QStringLiteral("OK"));
    QTest::mouseClick(alert->buttons().value(0), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([this] { return view->findChild<CaptureAreaSaveFailureAlert *>() == nullptr; }));
    overlay.hide();
    EXPECT_TRUE(session->preparedTargets.isEmpty());
    EXPECT_EQ(view->model().areas().size(), 1);

    // A terminating session is not asked to restart capture; Escape cancels.
    ASSERT_TRUE(QFile::remove(folder.filePath(QStringLiteral("store"))));
    session->terminating = true;
    clickButton("save-capture-areas");
    EXPECT_FALSE(view->isVisible());
    EXPECT_TRUE(session->preparedTargets.isEmpty());
    view->show();
    ASSERT_TRUE(waitUntil([this] { return view->model().state().kind == Kind::ready; }));
    EXPECT_EQ(view->model().areas().size(), 1) << "the saved area is loaded again";
    QTest::keyClick(view.get(), Qt::Key_Escape);
    EXPECT_FALSE(view->isVisible());
    EXPECT_EQ(view->model().state().kind, Kind::idle);
}
