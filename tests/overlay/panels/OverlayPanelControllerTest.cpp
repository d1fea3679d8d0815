// Test label: ui
// The overlay controller on the offscreen platform: the two windows it builds, where it
// puts them for each game window, click-through by state, the strip's report item and the
// whole report flow through the popover, the callbacks, and the text sizes the settings
// window's sliders choose, as the panel draws them.
#include "overlay/panels/OverlayPanelController.h"
#include "foundation/language/ClientLanguageSettingsModel.h"
#include "foundation/language/InMemoryClientLanguageSettingsStore.h"
#include "notes/model/GameMemoLibraryModel.h"
#include "notes/views/CurrentGameMemoView.h"
#include "overlay/layout/InMemoryOverlayLayoutStore.h"
#include "overlay/panels/OverlayPanel.h"
#include "overlay/settings/InMemoryOverlaySettingsStore.h"
#include "overlay/settings/OverlaySettingsModel.h"
#include "overlay/strip/OverlayActionView.h"
#include "overlay/strip/OverlayHandleView.h"
#include "overlay/views/OverlayContentView.h"
#include "settings/overlay/OverlaySettingsSection.h"
#include "support/GatedSleeper.h"
#include "support/RecordingGameMemoStore.h"
#include "support/RunTask.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

using namespace veyra;
using veyra::test::GatedSleeper;
using veyra::test::RecordingGameMemoStore;
using veyra::test::waitUntil;

namespace {

class OneDisplay : public DisplayGeometryProviding
{
public:
    QVector<DisplayGeometry> allDisplays() const override
    {
        return {{{0, 0, 1920, 1080}, {0, 0, 1920, 1080}, {0, 0, 1920, 1050}}};
    }
    std::optional<QRectF> mainVisibleFrame() const override { return QRectF(0, 0, 1920, 1050); }
    ScreenSpace screenSpace() const override { return ScreenSpace(1080); }
};

CaptureTarget game(const QString &title, const QRectF &frame)
{
    CaptureTarget target;
    target.windowID = 42;
    target.processID = 4200;
    target.bundleIdentifier = QStringLiteral("com.example.game");
    target.applicationName = QStringLiteral("Example");
    target.windowTitle = title;
    target.frame = frame;
    return target;
}

CompletedTranslation translation(const QString &source, const QString &translated, const QUuid &id)
{
    return {id, source, translated, QStringLiteral("Example Game"), TranslationTargetLanguage::korean};
}

QWidget *visibleTopLevel(const QString &name)
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == name && widget->isVisible()) {
            return widget;
        }
    }
    return nullptr;
}

// The rows of an image that hold light pixels (white text on the dark panel): the top of
// the highest and the bottom of the lowest, as a height; 0 when there are none.
int inkHeight(const QImage &image)
{
    int top = -1;
    int bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) >= 128) {
                top = top < 0 ? y : top;
                bottom = y;
                break;
            }
        }
    }
    return top < 0 ? 0 : bottom - top + 1;
}

// How high the text shows in white on black in the font at a pixel size.
int inkHeightOf(const QString &text, QFont font, int pixelSize)
{
    font.setPixelSize(pixelSize);
    const QFontMetrics metrics(font);
    QImage image(metrics.horizontalAdvance(text) + 8, metrics.height() + 8, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QPoint(4, 4 + metrics.ascent()), text);
    painter.end();
    return inkHeight(image);
}

class OverlayPanelControllerTest : public ::testing::Test
{
protected:
    OverlayPanelControllerTest()
    {
        auto owned = std::make_unique<RecordingGameMemoStore>();
        notes = owned.get();
        library = std::make_unique<GameMemoLibraryModel>(std::move(owned), 400000000, sleeper);
        controller
            = std::make_unique<OverlayPanelController>(settings, store, *library, std::make_shared<OneDisplay>());
        controller->setOnRequestTranslationErrorReport(
            [this](const TranslationReportTarget &target) { requested.append(target); });
    }

    QWidget *reportPopover() { return visibleTopLevel(QStringLiteral("translation-error-report-popover")); }
    QWidget *notePopover() { return visibleTopLevel(QStringLiteral("game-note-popover")); }
    template <typename Widget = QWidget>
    Widget *inPopover(const QString &name)
    {
        QWidget *popover = reportPopover();
        return popover != nullptr ? popover->findChild<Widget *>(name) : nullptr;
    }
    QRect panelGeometry() { return controller->panel()->geometry(); }
    // A delayed save cancelled with the model ends on the next turn of the event loop.
    ~OverlayPanelControllerTest() override
    {
        controller.reset();
        library.reset();
        QCoreApplication::processEvents();
    }

    OverlaySettingsModel settings{std::make_unique<InMemoryOverlaySettingsStore>()};
    ClientLanguageSettingsModel language{
        std::make_unique<InMemoryClientLanguageSettingsStore>(), {QStringLiteral("en-US")}};
    std::shared_ptr<InMemoryOverlayLayoutStore> store = std::make_shared<InMemoryOverlayLayoutStore>();
    std::shared_ptr<GatedSleeper> sleeper = std::make_shared<GatedSleeper>();
    RecordingGameMemoStore *notes = nullptr;
    std::unique_ptr<GameMemoLibraryModel> library;
    std::unique_ptr<OverlayPanelController> controller;
    QVector<TranslationReportTarget> requested;
    const CaptureTarget harbour = game(QStringLiteral("Harbour"), QRectF(100, 100, 800, 600));
    const QStringList areas{QStringLiteral("b"), QStringLiteral("a")};
};

} // namespace

TEST_F(OverlayPanelControllerTest, TheFirstShowBuildsTwoFloatingWindowsAtTheGame)
{
    EXPECT_EQ(controller->panel(), nullptr);
    controller->show(harbour, OverlayCaptureAreaState::ready(), areas);
    OverlayPanel *panel = controller->panel();
    ASSERT_NE(panel, nullptr);
    ASSERT_NE(controller->controlPanel(), nullptr);
    EXPECT_EQ(panel->objectName(), QStringLiteral("overlay"));
    EXPECT_EQ(controller->controlPanel()->objectName(), QStringLiteral("overlay-controls"));
    for (QWidget *window : {static_cast<QWidget *>(panel), static_cast<QWidget *>(controller->controlPanel())}) {
        EXPECT_TRUE(window->isVisible());
        EXPECT_TRUE(window->isWindow());
        EXPECT_EQ(window->windowFlags() & OverlayPanel::floatingWindowFlags(), OverlayPanel::floatingWindowFlags());
        EXPECT_TRUE(window->testAttribute(Qt::WA_TranslucentBackground));
        EXPECT_TRUE(window->testAttribute(Qt::WA_ShowWithoutActivating));
    }
    EXPECT_EQ(controller->controlPanel()->parentWidget(), panel);
    EXPECT_EQ(panel->minimumSize(), QSize(320, 120));
    // 720 x 220 centred on the game; the strip in its bottom-right corner.
    EXPECT_EQ(panelGeometry(), QRect(140, 290, 720, 220));
    EXPECT_EQ(controller->controlPanel()->geometry(), QRect(860 - 166, 510 - 48, 156, 38));
    EXPECT_EQ(controller->viewModel().target(), harbour);

    // Click-through exactly while ready, on the native window.
    EXPECT_TRUE(panel->isClickThrough());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel));
    EXPECT_TRUE(panel->isNativelyClickThrough());
    controller->show(harbour, OverlayCaptureAreaState::requiresCaptureAreas(), {});
    EXPECT_FALSE(panel->isClickThrough());
    EXPECT_FALSE(panel->isNativelyClickThrough());
    EXPECT_EQ(controller->panel(), panel);
    controller->show(harbour, OverlayCaptureAreaState::ready(), areas);
    EXPECT_TRUE(panel->isClickThrough());
}

TEST_F(OverlayPanelControllerTest, ThePanelKeepsItsPlaceForTheSameGameAndMovesForAnother)
{
    controller->show(harbour, OverlayCaptureAreaState::ready(), areas);
    controller->panel()->setGeometry(QRect(500, 300, 400, 200));
    controller->hide();
    EXPECT_FALSE(controller->panel()->isVisible());
    EXPECT_FALSE(controller->controlPanel()->isVisible());
    // Same game window (even at another place on screen): where the user left it.
    controller->show(game(QStringLiteral("Harbour"), QRectF(0, 0, 300, 300)), OverlayCaptureAreaState::ready(), areas);
    EXPECT_EQ(panelGeometry(), QRect(500, 300, 400, 200));
    EXPECT_EQ(controller->controlPanel()->geometry().topLeft(), QPoint(900 - 166, 500 - 48));

    // Another game window: its stored layout (here on the right edge, centred).
    const CaptureTarget lighthouse = game(QStringLiteral("Lighthouse"), QRectF(100, 100, 800, 600));
    store->save({1.0, 0.5, 320, 220}, *lighthouse.profileKey());
    controller->show(lighthouse, OverlayCaptureAreaState::ready(), areas);
    EXPECT_EQ(panelGeometry(), QRect(1600, 1080 - 415 - 220, 320, 220));
}

TEST_F(OverlayPanelControllerTest, AGameWindowWithoutAKeyIsAnotherGameAndItsOwnLayoutsGoToTheGameShown)
{
    CaptureTarget anonymous = game(QStringLiteral("Harbour"), QRectF(900, 500, 800, 400));
    anonymous.bundleIdentifier.reset();
    ASSERT_FALSE(anonymous.profileKey().has_value());
    const QRect moved(500, 300, 400, 200);
    OverlayLayoutController &layout = controller->layoutController();
    // From a game with a key to one without, and back: placed anew each time.
    controller->show(harbour, OverlayCaptureAreaState::ready(), areas);
    controller->panel()->setGeometry(moved);
    controller->show(anonymous, OverlayCaptureAreaState::ready(), areas);
    EXPECT_EQ(layout.panelFrame(), layout.initialFrame(anonymous));
    controller->panel()->setGeometry(moved);
    controller->show(harbour, OverlayCaptureAreaState::ready(), areas);
    EXPECT_EQ(panelGeometry(), QRect(140, 290, 720, 220));

    // The end of a move stores the layout of the game shown now, not of the one before.
    const CaptureTarget lighthouse = game(QStringLiteral("Lighthouse"), QRectF(100, 100, 800, 600));
    controller->show(lighthouse, OverlayCaptureAreaState::ready(), areas);
    Q_EMIT controller->controlView()->moveEnded();
    EXPECT_TRUE(store->layouts().contains(*lighthouse.profileKey()));
    EXPECT_FALSE(store->layouts().contains(*harbour.profileKey()));
}

TEST_F(OverlayPanelControllerTest, RowsAndTheReportItemFollowTheSession)
{
    controller->show(harbour, OverlayCaptureAreaState::ready(), areas);
    OverlayActionView *report = controller->controlView()->reportHandle();
    EXPECT_FALSE(report->isActionEnabled());
    EXPECT_EQ(report->itemAlpha(), 0.28);

    EXPECT_TRUE(controller->updateRecognizedText(QStringLiteral("a"), QStringLiteral(" first ")));
    EXPECT_TRUE(controller->updateRecognizedText(QStringLiteral("b"), QStringLiteral("second")));
    EXPECT_FALSE(controller->updateRecognizedText(QStringLiteral("z"), QStringLiteral("unknown")));
    ASSERT_EQ(controller->textRows().size(), 2);
    EXPECT_EQ(controller->textRows()[0].id, QStringLiteral("b"));
    EXPECT_EQ(controller->viewModel().textRows(), controller->textRows());

    // A translation without an identifier is shown but not reportable.
    controller->applyTranslation(
        QStringLiteral("b"), translation(QStringLiteral("second"), QStringLiteral("둘"), {}), {});
    EXPECT_FALSE(report->isActionEnabled());
    // Clicking the disabled item does nothing.
    QTest::mouseClick(report, Qt::LeftButton);
    EXPECT_EQ(reportPopover(), nullptr);

    const QUuid id = QUuid::createUuid();
    controller->applyTranslation(
        QStringLiteral("a"), translation(QStringLiteral("first"), QStringLiteral("하나"), id), id);
    EXPECT_TRUE(report->isActionEnabled());
    EXPECT_EQ(report->itemAlpha(), 1.0);

    // Not ready: nothing is taken, and show empties the rows.
    controller->show(harbour, OverlayCaptureAreaState::targetUnavailable(), {});
    EXPECT_TRUE(controller->textRows().isEmpty());
    EXPECT_FALSE(controller->updateRecognizedText(QStringLiteral("a"), QStringLiteral("again")));
    EXPECT_FALSE(report->isActionEnabled());
}

TEST_F(OverlayPanelControllerTest, AReportGoesThroughThePopoverAndBack)
{
    controller->show(harbour, OverlayCaptureAreaState::ready(), areas);
    const QUuid id = QUuid::createUuid();
    ASSERT_TRUE(controller->updateRecognizedText(QStringLiteral("a"), QStringLiteral("first")));
    controller->applyTranslation(
        QStringLiteral("a"), translation(QStringLiteral("first"), QStringLiteral("하나"), id), id);
    const TranslationReportTarget target{QStringLiteral("a"), id, QStringLiteral("first"), QStringLiteral("하나"),
        QStringLiteral("Example Game"), TranslationTargetLanguage::korean};
    ASSERT_EQ(controller->reportTargets(), QVector<TranslationReportTarget>{target});

    QTest::mouseClick(controller->controlView()->reportHandle(), Qt::LeftButton);
    ASSERT_NE(reportPopover(), nullptr);
    // It opens above the strip's report item.
    EXPECT_LT(reportPopover()->geometry().bottom(), controller->controlPanel()->geometry().top());
    auto *row = inPopover<QAbstractButton>(QStringLiteral("translation-error-report-row-a"));
    ASSERT_NE(row, nullptr);
    QTest::mouseClick(row, Qt::LeftButton);
    // "Cancel" on the review goes back to the list, where the line can be picked again.
    ASSERT_NE(inPopover(QStringLiteral("translation-error-report-source")), nullptr);
    QPushButton *cancel = nullptr;
    for (QPushButton *button : reportPopover()->findChildren<QPushButton *>()) {
        cancel = button->text() == QStringLiteral("Cancel") && button->isVisible() ? button : cancel;
    }
    ASSERT_NE(cancel, nullptr);
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_EQ(inPopover(QStringLiteral("translation-error-report-source")), nullptr);
    row = inPopover<QAbstractButton>(QStringLiteral("translation-error-report-row-a"));
    ASSERT_NE(row, nullptr);
    QTest::mouseClick(row, Qt::LeftButton);
    auto *source = inPopover<QLabel>(QStringLiteral("translation-error-report-source"));
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->text(), QStringLiteral("first"));
    EXPECT_EQ(
        inPopover<QLabel>(QStringLiteral("translation-error-report-translation"))->text(), QStringLiteral("하나"));
    auto *submit = inPopover<QPushButton>(QStringLiteral("translation-error-report-submit"));
    ASSERT_NE(submit, nullptr);
    QTest::mouseClick(submit, Qt::LeftButton);
    EXPECT_EQ(requested, QVector<TranslationReportTarget>{target});
    EXPECT_FALSE(submit->isEnabled());
    EXPECT_TRUE(inPopover(QStringLiteral("translation-error-report-progress"))->isVisible());
    // Return does nothing while the report is sent.
    QTest::keyClick(reportPopover(), Qt::Key_Return);
    EXPECT_EQ(requested.size(), 1);

    // The report failed: the message shows and the user may try again with Return.
    controller->showTranslationReportFailure(target);
    auto *failure = inPopover<QLabel>(QStringLiteral("translation-error-report-failure"));
    ASSERT_NE(failure, nullptr);
    EXPECT_TRUE(failure->isVisible());
    EXPECT_EQ(failure->text(), QStringLiteral("Couldn't report this translation. Try again later."));
    EXPECT_TRUE(submit->isEnabled());
    QWidget *focus = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : reportPopover();
    QTest::keyClick(focus, Qt::Key_Return);
    EXPECT_EQ(requested.size(), 2);

    // Submitted: the row translates again and the popover closes.
    EXPECT_TRUE(controller->prepareRetranslation(target));
    EXPECT_EQ(reportPopover(), nullptr);
    EXPECT_EQ(controller->translationReportPresenter().model(), nullptr);
    EXPECT_EQ(
        controller->rowsByAreaID().value(QStringLiteral("a")).translationState, OverlayTranslationState::translating);
    EXPECT_FALSE(controller->controlView()->reportHandle()->isActionEnabled());
}

TEST_F(OverlayPanelControllerTest, ShowingOrHidingTheOverlayClosesTheReport)
{
    const auto openReport = [this] {
        const QUuid id = QUuid::createUuid();
        controller->updateRecognizedText(QStringLiteral("a"), id.toString());
        controller->applyTranslation(QStringLiteral("a"), translation(id.toString(), QStringLiteral("하나"), id), id);
        QTest::mouseClick(controller->controlView()->reportHandle(), Qt::LeftButton);
        return reportPopover() != nullptr;
    };
    controller->show(harbour, OverlayCaptureAreaState::ready(), areas);
    ASSERT_TRUE(openReport());
    controller->hide();
    EXPECT_EQ(reportPopover(), nullptr);
    EXPECT_EQ(controller->translationReportPresenter().model(), nullptr);

    controller->show(harbour, OverlayCaptureAreaState::ready(), areas);
    ASSERT_TRUE(openReport());
    controller->show(harbour, OverlayCaptureAreaState::ready(), areas);
    EXPECT_EQ(reportPopover(), nullptr);
    EXPECT_EQ(controller->translationReportPresenter().model(), nullptr);
}

TEST_F(OverlayPanelControllerTest, ANewTextOfAListedAreaOrAStaleFailureClosesTheReport)
{
    controller->show(harbour, OverlayCaptureAreaState::ready(), areas);
    const QUuid id = QUuid::createUuid();
    ASSERT_TRUE(controller->updateRecognizedText(QStringLiteral("a"), QStringLiteral("first")));
    controller->applyTranslation(
        QStringLiteral("a"), translation(QStringLiteral("first"), QStringLiteral("하나"), id), id);
    const TranslationReportTarget target = controller->reportTargets().value(0);

    QTest::mouseClick(controller->controlView()->reportHandle(), Qt::LeftButton);
    ASSERT_TRUE(controller->translationReportPresenter().contains(QStringLiteral("a")));
    EXPECT_FALSE(controller->translationReportPresenter().contains(QStringLiteral("b")));
    // Text of another area leaves it open; a new text of area "a" closes it.
    EXPECT_TRUE(controller->updateRecognizedText(QStringLiteral("b"), QStringLiteral("other")));
    EXPECT_NE(reportPopover(), nullptr);
    EXPECT_TRUE(controller->updateRecognizedText(QStringLiteral("a"), QStringLiteral("changed")));
    EXPECT_EQ(reportPopover(), nullptr);

    // A failure for a translation no longer shown closes the report instead.
    controller->applyTranslation(
        QStringLiteral("a"), translation(QStringLiteral("changed"), QStringLiteral("바뀜"), id), id);
    QTest::mouseClick(controller->controlView()->reportHandle(), Qt::LeftButton);
    ASSERT_NE(reportPopover(), nullptr);
    controller->showTranslationReportFailure(target);
    EXPECT_EQ(reportPopover(), nullptr);
    // A submitted report of a translation no longer shown closes the report as well.
    QTest::mouseClick(controller->controlView()->reportHandle(), Qt::LeftButton);
    ASSERT_NE(reportPopover(), nullptr);
    EXPECT_FALSE(controller->prepareRetranslation(target));
    EXPECT_EQ(reportPopover(), nullptr);
}

TEST_F(OverlayPanelControllerTest, HelpCardButtonsReachTheSessionOnlyThroughSetCallbacks)
{
    controller->show(harbour, OverlayCaptureAreaState::requiresCaptureAreas(), {});
    auto *edit = controller->panel()->findChild<QPushButton *>(QStringLiteral("overlay-edit-capture-areas"));
    ASSERT_NE(edit, nullptr);
    QTest::mouseClick(edit, Qt::LeftButton);
    int editRequests = 0;
    controller->setOnRequestCaptureAreaEditor([&] { ++editRequests; });
    QTest::mouseClick(edit, Qt::LeftButton);
    EXPECT_EQ(editRequests, 1);

    int chooseRequests = 0;
    controller->setOnRequestChooseAnotherWindow([&] {
        ++chooseRequests;
        // The session shows the overlay again from inside the click.
        controller->show(harbour, OverlayCaptureAreaState::ready(), areas);
    });
    controller->show(harbour, OverlayCaptureAreaState::targetUnavailable(), {});
    auto *choose = controller->panel()->findChild<QPushButton *>(QStringLiteral("overlay-choose-another-window"));
    ASSERT_NE(choose, nullptr);
    QTest::mouseClick(choose, Qt::LeftButton);
    EXPECT_EQ(chooseRequests, 1);
    EXPECT_TRUE(controller->panel()->isClickThrough());

    // Settings reach the content at once; the interface language on the next turn, the
    // strip's titles with it.
    settings.setBackgroundOpacityPercent(80);
    EXPECT_EQ(controller->viewModel().backgroundOpacityPercent(), 80);
    language.setLanguage(ClientLanguage::korean);
    ASSERT_TRUE(waitUntil([&] { return controller->panel()->contentView()->locale().language() == QLocale::Korean; }));
    EXPECT_EQ(controller->controlView()->moveHandle()->accessibleName(), QStringLiteral("오버레이 이동"));
    language.setLanguage(ClientLanguage::english);
    ASSERT_TRUE(waitUntil([&] { return controller->panel()->contentView()->locale().language() == QLocale::English; }));
}

TEST_F(OverlayPanelControllerTest, TheNotePopoverOpensWithAContextAndWritesTypedNotesWhenItGoes)
{
    controller->show(harbour, OverlayCaptureAreaState::ready(), areas);
    OverlayActionView *note = controller->controlView()->gameNoteHandle();
    // No provider, or no context: the item is disabled and does nothing.
    EXPECT_FALSE(note->isActionEnabled());
    QTest::mouseClick(note, Qt::LeftButton);
    EXPECT_EQ(notePopover(), nullptr);
    controller->setGameMemoContextProvider([] { return std::optional<GameMemoContext>(); });
    controller->show(harbour, OverlayCaptureAreaState::ready(), areas);
    EXPECT_FALSE(note->isActionEnabled());
    EXPECT_EQ(note->itemAlpha(), 0.28);

    const GameMemoContext context = *GameMemoContext::make(harbour, QStringLiteral("Harbour Tales"));
    int asked = 0;
    controller->setGameMemoContextProvider([&] {
        ++asked;
        return std::optional<GameMemoContext>(context);
    });
    // With no note open, showing the overlay still writes a pending edit at once.
    library->updateText(QStringLiteral("Typed in the notes window"), context);
    ASSERT_TRUE(library->saveTask().has_value());
    controller->show(harbour, OverlayCaptureAreaState::ready(), areas);
    EXPECT_FALSE(library->saveTask().has_value());
    EXPECT_EQ(notes->saves.last().value(0).text, QStringLiteral("Typed in the notes window"));
    library->updateText(QString(), context);
    library->flushPendingSave();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(note->isActionEnabled());
    EXPECT_EQ(note->itemAlpha(), 1.0);

    // The cleared note is written; opening the editor makes an empty note for the game and
    // writes nothing, blank notes never being written.
    EXPECT_TRUE(notes->saves.last().isEmpty());
    const qsizetype savesBefore = notes->saves.size();
    QTest::mouseClick(note, Qt::LeftButton);
    EXPECT_EQ(asked, 2);
    ASSERT_NE(notePopover(), nullptr);
    EXPECT_TRUE(library->entriesByKey().contains(context.key));
    EXPECT_EQ(notes->saves.size(), savesBefore);
    EXPECT_EQ(notePopover()->size(), CurrentGameMemoView::contentSize + QSize(2, 2));
    EXPECT_LT(notePopover()->geometry().bottom(), controller->controlPanel()->geometry().top());

    // A note typed and not written yet is written when the report popover takes over.
    auto *editor
        = notePopover()->findChild<QPlainTextEdit *>(QString::fromLatin1(CurrentGameMemoView::editorObjectName));
    ASSERT_NE(editor, nullptr);
    editor->setPlainText(QStringLiteral("The lighthouse key is under the mat."));
    ASSERT_TRUE(library->saveTask().has_value());
    const QUuid id = QUuid::createUuid();
    ASSERT_TRUE(controller->updateRecognizedText(QStringLiteral("a"), QStringLiteral("first")));
    controller->applyTranslation(
        QStringLiteral("a"), translation(QStringLiteral("first"), QStringLiteral("하나"), id), id);
    QTest::mouseClick(controller->controlView()->reportHandle(), Qt::LeftButton);
    EXPECT_EQ(notePopover(), nullptr);
    ASSERT_NE(reportPopover(), nullptr);
    EXPECT_FALSE(library->saveTask().has_value());
    ASSERT_EQ(notes->saves.last().size(), 1);
    EXPECT_EQ(notes->saves.last().front().text, QStringLiteral("The lighthouse key is under the mat."));

    // The note item closes the report; hiding writes again and closes the note.
    QTest::mouseClick(note, Qt::LeftButton);
    EXPECT_EQ(reportPopover(), nullptr);
    ASSERT_NE(notePopover(), nullptr);
    editor = notePopover()->findChild<QPlainTextEdit *>(QString::fromLatin1(CurrentGameMemoView::editorObjectName));
    ASSERT_NE(editor, nullptr);
    editor->setPlainText(QStringLiteral("The key is under the blue mat."));
    ASSERT_TRUE(library->saveTask().has_value());
    controller->hide();
    EXPECT_EQ(notePopover(), nullptr);
    EXPECT_FALSE(library->saveTask().has_value());
    EXPECT_EQ(notes->saves.last().value(0).text, QStringLiteral("The key is under the blue mat."));
}

TEST_F(OverlayPanelControllerTest, TheTextSizesChosenInTheSettingsAreTheSizesDrawn)
{
    // The settings window's sliders over the same settings, with the overlay on screen.
    OverlaySettingsSection section(&settings);
    section.show();
    controller->show(harbour, OverlayCaptureAreaState::ready(), {QStringLiteral("a")});
    const QString text = QStringLiteral("HHHH");
    ASSERT_TRUE(controller->updateRecognizedText(QStringLiteral("a"), text));
    controller->applyTranslation(QStringLiteral("a"), translation(text, text, {}), {});
    ASSERT_TRUE(QTest::qWaitForWindowExposed(controller->panel()));

    // The height of the text each row draws on the panel, and the height its text shows at
    // a size in the label's own typeface.
    const auto drawn = [&](const char *name) {
        const auto *label = controller->panel()->findChild<QLabel *>(QString::fromLatin1(name));
        EXPECT_NE(label, nullptr) << name;
        if (label == nullptr) {
            return -1;
        }
        const QRect area(label->mapTo(controller->panel(), QPoint()), label->size());
        return inkHeight(controller->panel()->grab(area).toImage());
    };
    const auto expected = [&](const char *name, int points) {
        const auto *label = controller->panel()->findChild<QLabel *>(QString::fromLatin1(name));
        return label == nullptr ? -2 : inkHeightOf(text, label->font(), points);
    };
    const auto expectSizes = [&](int source, int translated, const char *when) {
        QCoreApplication::processEvents();
        EXPECT_NEAR(drawn("overlay-source-text-row-a"), expected("overlay-source-text-row-a", source), 1) << when;
        EXPECT_NEAR(drawn("overlay-translation-text-row-a"), expected("overlay-translation-text-row-a", translated), 1)
            << when;
    };
    expectSizes(12, 15, "at the default sizes");
    ASSERT_LT(expected("overlay-source-text-row-a", 12), expected("overlay-source-text-row-a", 15));

    auto *sourceSlider = section.findChild<QSlider *>(QStringLiteral("overlay-source-text-size-slider"));
    auto *translationSlider = section.findChild<QSlider *>(QStringLiteral("overlay-translation-text-size-slider"));
    ASSERT_TRUE(sourceSlider != nullptr && translationSlider != nullptr);
    // The source text to its largest: only the source grows.
    sourceSlider->setFocus();
    QTest::keyClick(sourceSlider, Qt::Key_End);
    expectSizes(72, 15, "after the source size went to 72");
    // The translation to its smallest, then one step up: only the translation changes.
    translationSlider->setFocus();
    QTest::keyClick(translationSlider, Qt::Key_Home);
    expectSizes(72, 8, "after the translation size went to 8");
    QTest::keyClick(translationSlider, Qt::Key_PageUp);
    expectSizes(72, translationSlider->value() + 8, "after the translation size went a page up");
    EXPECT_GT(settings.translationTextSizePoints(), 8);
}
