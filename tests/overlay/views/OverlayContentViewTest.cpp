// Test label: ui
// The overlay's content for every capture-area state: identifiers, the row order and
// shapes, plain text wrapped and never cut, the help cards' buttons, the background's
// opacity, clipping without scrolling and the interface language.
#include "overlay/views/OverlayContentView.h"
#include "brand/VeyraOrangeSignal.h"
#include "foundation/errors/Error.h"
#include "foundation/language/ClientLanguage.h"
#include "foundation/language/InterfaceLanguageChange.h"
#include "overlay/state/OverlayTranslationReportModel.h"
#include "overlay/state/OverlayViewModel.h"
#include "overlay/views/LineLimitedLabel.h"
#include "overlay/views/OverlayTranslationReportView.h"
#include "overlay/views/WrappedTextLabel.h"
#include "support/RunTask.h"
#include "support/TestScreenshots.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace veyra;
using veyra::test::waitUntil;

namespace {

// What a label paints, on a transparent image: its text, and nothing behind it.
QImage painted(QWidget *label)
{
    QImage image(label->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    label->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

// Checks that the label paints `lines` one below the other, `pitch` apart: ink in the
// middle of every line's band and none below the last, each line's ink ending where its
// text ends (not cut at the right edge, not running on).
void expectPaintedLines(QWidget *label, const QStringList &lines, int pitch, const QFontMetrics &metrics)
{
    const QImage image = painted(label);
    const auto rightmostInk = [&](int top, int bottom) {
        int rightmost = -1;
        for (int y = std::max(top, 0); y < std::min(bottom, image.height()); ++y) {
            for (int x = image.width() - 1; x > rightmost; --x) {
                if (qAlpha(image.pixel(x, y)) >= 96) {
                    rightmost = x;
                    break;
                }
            }
        }
        return rightmost;
    };
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int top = static_cast<int>(i) * pitch;
        const int advance = metrics.horizontalAdvance(lines[i]);
        ASSERT_LE(advance, label->width()) << lines[i].toStdString();
        EXPECT_GE(rightmostInk(top + pitch / 4, top + pitch * 3 / 4), 0)
            << "line " << i << " (\"" << lines[i].toStdString() << "\") is not painted";
        EXPECT_NEAR(rightmostInk(top, top + pitch), advance, metrics.averageCharWidth())
            << "line " << i << " (\"" << lines[i].toStdString() << "\") is painted to another width";
    }
    EXPECT_LT(rightmostInk(static_cast<int>(lines.size()) * pitch + 2, image.height()), 0) << "ink below the last line";
}

class OverlayContentViewTest : public ::testing::Test
{
protected:
    OverlayContentViewTest()
    {
        CaptureTarget target;
        target.applicationName = QStringLiteral("<b>Example</b>");
        target.windowTitle = QStringLiteral("Harbour");
        model.setTarget(target);
        view.resize(720, 220);
        view.show();
    }

    template <typename Widget = QWidget>
    Widget *find(const QString &name)
    {
        return view.findChild<Widget *>(name);
    }
    QLabel *label(const QString &name) { return find<QLabel>(name); }
    bool shows(const QString &name)
    {
        QWidget *widget = find(name);
        return widget != nullptr && widget->isVisibleTo(&view);
    }

    OverlayViewModel model{55, 12, 15};
    OverlayContentView view{&model};
};

} // namespace

TEST_F(OverlayContentViewTest, ReadyShowsTheWaitingLineThenTheRowsInOrder)
{
    EXPECT_EQ(view.objectName(), QStringLiteral("overlay-panel"));
    ASSERT_TRUE(shows(QStringLiteral("overlay-capture-areas-ready")));
    ASSERT_NE(label(QStringLiteral("overlay-waiting-for-dialogue")), nullptr);
    EXPECT_EQ(label(QStringLiteral("overlay-waiting-for-dialogue"))->text(), QStringLiteral("Waiting for dialogue…"));
    EXPECT_EQ(view.findChildren<VeyraOrangeSignal *>().size(), 0);
    EXPECT_TRUE(view.testAttribute(Qt::WA_TransparentForMouseEvents));

    model.setTextRows(
        {OverlayTextRow::translated(QStringLiteral("b"), QStringLiteral("<i>second</i>"), QStringLiteral("두 번째\n줄"),
             std::nullopt, std::nullopt, TranslationTargetLanguage::korean),
            OverlayTextRow::translating(QStringLiteral("a"), QStringLiteral("first")),
            OverlayTextRow::failed(QStringLiteral("c"), QStringLiteral("third")),
            OverlayTextRow{QStringLiteral("d"), QStringLiteral("fourth"), std::nullopt,
                OverlayTranslationState::translated, std::nullopt, std::nullopt, std::nullopt}});
    EXPECT_EQ(find(QStringLiteral("overlay-waiting-for-dialogue")), nullptr);
    QWidget *stack = find(QStringLiteral("overlay-recognized-text"));
    ASSERT_NE(stack, nullptr);
    // The brand line, then the rows as given, one divider between each pair.
    const auto signals_ = stack->findChildren<VeyraOrangeSignal *>();
    ASSERT_EQ(signals_.size(), 1);
    EXPECT_EQ(signals_.front()->text(), QStringLiteral("Veyra Translation"));
    QList<int> tops;
    for (const char *area : {"b", "a", "c", "d"}) {
        QLabel *source = label(QStringLiteral("overlay-source-text-row-") + QLatin1String(area));
        ASSERT_NE(source, nullptr) << area;
        EXPECT_EQ(source->textFormat(), Qt::PlainText);
        tops << source->mapTo(&view, QPoint()).y();
    }
    EXPECT_TRUE(std::is_sorted(tops.begin(), tops.end()));
    EXPECT_GT(signals_.front()->mapTo(&view, QPoint()).y(), 0);
    EXPECT_LT(signals_.front()->mapTo(&view, QPoint()).y(), tops.front());
    EXPECT_EQ(label(QStringLiteral("overlay-source-text-row-b"))->text(), QStringLiteral("<i>second</i>"));
    // Translated: the text below the source, semibold at the translation size.
    QLabel *translation = label(QStringLiteral("overlay-translation-text-row-b"));
    ASSERT_NE(translation, nullptr);
    EXPECT_EQ(translation->text(), QStringLiteral("두 번째\n줄"));
    EXPECT_EQ(translation->textFormat(), Qt::PlainText);
    EXPECT_EQ(translation->font().pixelSize(), 15);
    EXPECT_EQ(translation->font().weight(), QFont::DemiBold);
    EXPECT_EQ(label(QStringLiteral("overlay-source-text-row-b"))->font().pixelSize(), 12);
    // Translating: the spinner line; failed and translated-without-text: the source alone.
    EXPECT_TRUE(shows(QStringLiteral("overlay-translation-progress-a")));
    EXPECT_EQ(find(QStringLiteral("overlay-translation-text-row-a")), nullptr);
    for (const char *area : {"c", "d"}) {
        EXPECT_EQ(find(QStringLiteral("overlay-translation-progress-") + QLatin1String(area)), nullptr);
        EXPECT_EQ(find(QStringLiteral("overlay-translation-text-row-") + QLatin1String(area)), nullptr);
    }

    // New sizes show at once.
    model.setTranslationTextSizePoints(30);
    EXPECT_EQ(label(QStringLiteral("overlay-translation-text-row-b"))->font().pixelSize(), 30);
    model.setSourceTextSizePoints(20);
    EXPECT_EQ(label(QStringLiteral("overlay-source-text-row-b"))->font().pixelSize(), 20);
}

TEST_F(OverlayContentViewTest, TextsWrapInsideARunWithoutBreaksAndAreNeverCut)
{
    const QString address = QStringLiteral("https://example.com/") + QStringLiteral("x").repeated(240);
    const QString source = QStringLiteral("Visit ") + address + QStringLiteral(" now");
    const QString translation = QStringLiteral("Call 0") + QStringLiteral("1234567890").repeated(25);
    model.setTextRows({OverlayTextRow::translated(
        QStringLiteral("a"), source, translation, std::nullopt, std::nullopt, TranslationTargetLanguage::english)});
    const int contentRight = view.width() - OverlayContentView::outerMargin - OverlayContentView::contentInset;
    for (const auto &[name, text] : {std::pair{QStringLiteral("overlay-source-text-row-a"), source},
             std::pair{QStringLiteral("overlay-translation-text-row-a"), translation}}) {
        auto *label = find<WrappedTextLabel>(name);
        ASSERT_NE(label, nullptr);
        EXPECT_LE(label->mapTo(&view, QPoint(label->width(), 0)).x(), contentRight);
        const QStringList lines = label->displayedLines(label->width());
        ASSERT_GT(lines.size(), 2) << name.toStdString();
        for (const QString &line : lines) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(line), label->width()) << line.toStdString();
        }
        // Nothing left out; the label is as high as all its lines.
        EXPECT_EQ(lines.join(QString()).remove(QLatin1Char(' ')), QString(text).remove(QLatin1Char(' ')));
        EXPECT_GE(label->height(), label->heightForWidth(label->width()));
        EXPECT_GE(label->height(), lines.size() * label->fontMetrics().lineSpacing());
        // Painted as laid out.
        expectPaintedLines(label, lines, label->fontMetrics().height(), label->fontMetrics());
    }
    // A line breaks between words first: the run of digits starts a line of its own.
    EXPECT_EQ(find<WrappedTextLabel>(QStringLiteral("overlay-translation-text-row-a"))->displayedLines(400).value(0),
        QStringLiteral("Call"));

    // The report's confirmation shows the whole texts in the same way.
    const TranslationReportTarget target{QStringLiteral("a"), QUuid::createUuid(), source, translation, std::nullopt,
        TranslationTargetLanguage::english};
    OverlayTranslationReportModel reportModel({target});
    OverlayTranslationReportView report(&reportModel);
    report.show();
    reportModel.select(target);
    auto *shown = report.findChild<WrappedTextLabel *>(QStringLiteral("translation-error-report-source"));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->text(), source);
    EXPECT_LE(shown->mapTo(&report, QPoint(shown->width(), 0)).x(), report.width());
    EXPECT_GT(shown->displayedLines(shown->width()).size(), 2);
    expectPaintedLines(
        shown, shown->displayedLines(shown->width()), shown->fontMetrics().height(), shown->fontMetrics());
}

TEST_F(OverlayContentViewTest, TheReportShowsAScrollBarOnlyWhenThereIsSomethingToScroll)
{
    const auto target = [](int i, const QString &source) {
        return TranslationReportTarget{QString::number(i), QUuid::createUuid(), source,
            QStringLiteral("Translation number %1").arg(i), std::nullopt, TranslationTargetLanguage::english};
    };
    // The scroll bar of the screen on show: the list's or the confirmation's.
    const auto shownScrollBar = [](OverlayTranslationReportView &report) -> QScrollBar * {
        for (auto *scroll : report.findChildren<QScrollArea *>()) {
            if (scroll->isVisibleTo(&report)) {
                return scroll->verticalScrollBar();
            }
        }
        return nullptr;
    };
    const auto scrolls = [](QScrollBar *bar) { return bar->isVisible() && bar->maximum() > 0; };

    OverlayTranslationReportModel fewModel({target(0, QStringLiteral("Hello")), target(1, QStringLiteral("Bye"))});
    OverlayTranslationReportView few(&fewModel);
    few.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&few));
    QScrollBar *bar = shownScrollBar(few);
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->isVisible());
    test::saveScreenshot(few, QStringLiteral("report-list-fits.png"));
    fewModel.select(fewModel.targets().first());
    QCoreApplication::processEvents();
    bar = shownScrollBar(few);
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->isVisible());
    test::saveScreenshot(few, QStringLiteral("report-review-fits.png"));

    // Rows past the popover's height, and texts longer than the review's room, scroll.
    QVector<TranslationReportTarget> targets;
    for (int i = 0; i < 8; ++i) {
        targets.append(target(i, QStringLiteral("A line of dialogue number %1").arg(i)));
    }
    targets.append(target(8, QStringLiteral("A long line of dialogue that goes on and on. ").repeated(24)));
    OverlayTranslationReportModel manyModel(targets);
    OverlayTranslationReportView many(&manyModel);
    many.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&many));
    ASSERT_TRUE(waitUntil([&] { return scrolls(shownScrollBar(many)); }));
    test::saveScreenshot(many, QStringLiteral("report-list-scrolls.png"));
    manyModel.select(targets.last());
    ASSERT_TRUE(waitUntil([&] {
        QScrollBar *review = shownScrollBar(many);
        return review != nullptr && scrolls(review);
    }));
    test::saveScreenshot(many, QStringLiteral("report-review-scrolls.png"));
}

TEST_F(OverlayContentViewTest, ManyRowsAreCutOffAtTheBackgroundWithoutScrolling)
{
    QVector<OverlayTextRow> rows;
    for (int i = 0; i < 12; ++i) {
        rows << OverlayTextRow::failed(QString::number(i), QStringLiteral("A line of dialogue number %1").arg(i));
    }
    model.setTextRows(rows);
    QLabel *first = label(QStringLiteral("overlay-source-text-row-0"));
    QLabel *last = label(QStringLiteral("overlay-source-text-row-11"));
    ASSERT_NE(last, nullptr);
    // The rows start at the top; the last one lies below the background's bottom edge.
    EXPECT_LT(
        first->mapTo(&view, QPoint()).y(), OverlayContentView::outerMargin + OverlayContentView::contentInset + 40);
    EXPECT_GT(last->mapTo(&view, QPoint()).y(), view.height() - OverlayContentView::outerMargin);
    // Clipped: the content's visible part ends at the background.
    EXPECT_TRUE(last->visibleRegion().isEmpty());
}

TEST_F(OverlayContentViewTest, HelpCardsSayWhyAndOfferTheirAction)
{
    QSignalSpy edit(&view, &OverlayContentView::editCaptureAreasRequested);
    QSignalSpy choose(&view, &OverlayContentView::chooseAnotherWindowRequested);

    model.setCaptureAreaState(OverlayCaptureAreaState::requiresCaptureAreas());
    EXPECT_FALSE(view.testAttribute(Qt::WA_TransparentForMouseEvents));
    ASSERT_TRUE(shows(QStringLiteral("overlay-capture-areas-required")));
    EXPECT_EQ(find(QStringLiteral("overlay-capture-areas-ready")), nullptr);
    EXPECT_EQ(view.findChildren<VeyraOrangeSignal *>().value(0)->text(), QStringLiteral("Veyra needs your help"));
    auto *editButton = find<QPushButton>(QStringLiteral("overlay-edit-capture-areas"));
    ASSERT_NE(editButton, nullptr);
    EXPECT_EQ(editButton->text(), QStringLiteral("Edit Capture Areas…"));
    QTest::mouseClick(editButton, Qt::LeftButton);
    EXPECT_EQ(edit.size(), 1);
    EXPECT_EQ(choose.size(), 0);
    // The summary shows the names verbatim and an empty title as "(Untitled)".
    EXPECT_TRUE(shows(QStringLiteral("overlay-capture-target-summary")));
    EXPECT_EQ(
        find<LineLimitedLabel>(QStringLiteral("overlay-application-name"))->text(), QStringLiteral("<b>Example</b>"));
    CaptureTarget untitled = model.target();
    untitled.windowTitle.clear();
    model.setTarget(untitled);
    EXPECT_EQ(find<LineLimitedLabel>(QStringLiteral("overlay-window-title"))->text(), QStringLiteral("(Untitled)"));

    model.setCaptureAreaState(OverlayCaptureAreaState::targetUnavailable());
    ASSERT_TRUE(shows(QStringLiteral("overlay-target-unavailable")));
    auto *chooseButton = find<QPushButton>(QStringLiteral("overlay-choose-another-window"));
    ASSERT_NE(chooseButton, nullptr);
    QTest::mouseClick(chooseButton, Qt::LeftButton);
    EXPECT_EQ(choose.size(), 1);
    EXPECT_EQ(edit.size(), 1);

    // A load failure shows its message verbatim, cut after three lines, and no button.
    const QString message = QStringLiteral("<b>Veyra</b> couldn't load the capture areas: ")
        + QStringLiteral("a very long reason. ").repeated(40);
    model.setCaptureAreaState(
        OverlayCaptureAreaState::loadFailed(ErrorMessage::describing(std::make_exception_ptr(Error(message)))));
    ASSERT_TRUE(shows(QStringLiteral("overlay-capture-areas-load-failed")));
    EXPECT_EQ(view.findChildren<QPushButton *>().size(), 0);
    const auto labels = find(QStringLiteral("overlay-capture-areas-load-failed"))->findChildren<LineLimitedLabel *>();
    const auto found = std::find_if(
        labels.begin(), labels.end(), [&](const LineLimitedLabel *candidate) { return candidate->text() == message; });
    ASSERT_NE(found, labels.end());
    const QStringList lines = (*found)->displayedLines((*found)->width());
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines.front().startsWith(QStringLiteral("<b>Veyra</b>")));
    EXPECT_TRUE(lines.back().endsWith(QChar(0x2026)));
    const QFontMetrics metrics((*found)->font());
    expectPaintedLines(*found, lines, metrics.lineSpacing(), metrics);
}

TEST_F(OverlayContentViewTest, BackgroundOpacityAndInterfaceLanguage)
{
    const auto alphaAtCentre
        = [&] { return view.grab().toImage().pixelColor(view.width() / 2, view.height() - 12).alpha(); };
    EXPECT_NEAR(alphaAtCentre(), 0.55 * 255, 2);
    model.setBackgroundOpacityPercent(90);
    EXPECT_NEAR(alphaAtCentre(), 0.9 * 255, 2);
    model.setBackgroundOpacityPercent(0);
    EXPECT_EQ(alphaAtCentre(), 0);
    // Outside the rounded background the panel is clear.
    EXPECT_EQ(view.grab().toImage().pixelColor(2, 2).alpha(), 0);

    setCurrentClientLanguage(ClientLanguage::japanese);
    announceInterfaceLanguageChange();
    ASSERT_TRUE(waitUntil([&] { return view.locale().name() == QStringLiteral("ja_JP"); }));
    EXPECT_NE(label(QStringLiteral("overlay-waiting-for-dialogue"))->text(), QStringLiteral("Waiting for dialogue…"));

    // A load failure on screen, with its cause, is worded again in the next language.
    model.setCaptureAreaState(
        OverlayCaptureAreaState::loadFailed(ErrorMessage::text("Veyra couldn't load the capture areas: %@",
            {ErrorMessage::text("Veyra couldn't identify the selected application.")})));
    const auto failureText = [&] {
        QStringList texts;
        for (const LineLimitedLabel *shown :
            find(QStringLiteral("overlay-capture-areas-load-failed"))->findChildren<LineLimitedLabel *>()) {
            texts.append(shown->text());
        }
        return texts;
    };
    const QString korean
        = QStringLiteral("Veyra가 캡처 영역을 불러오지 못했습니다: Veyra가 선택한 애플리케이션을 식별하지 못했습니다.");
    ASSERT_FALSE(failureText().contains(korean));
    setCurrentClientLanguage(ClientLanguage::korean);
    announceInterfaceLanguageChange();
    ASSERT_TRUE(waitUntil([&] { return view.locale().name() == QStringLiteral("ko_KR"); }));
    EXPECT_TRUE(failureText().contains(korean)) << failureText().join(QLatin1Char('|')).toStdString();
    setCurrentClientLanguage(ClientLanguage::english);
}
