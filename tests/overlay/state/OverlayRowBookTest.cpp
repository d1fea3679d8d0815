// Test label: unit
// The overlay's rows per capture area: when a row is replaced, which translations and
// failures are taken, the order rows are published in and which rows can be reported.
#include "overlay/state/OverlayRowBook.h"
#include "overlay/state/OverlayViewModel.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace veyra;

namespace {

const QUuid translationID = QUuid::fromString(QStringLiteral("{0c7e4b52-8a43-4c1f-9d0e-3f1b2a6c5d71}"));

CompletedTranslation translation(const QString &source, const QString &translated, std::optional<QUuid> id = {})
{
    return {id, source, translated, QStringLiteral("Game"), TranslationTargetLanguage::korean};
}

class OverlayRowBookTest : public ::testing::Test
{
protected:
    OverlayRowBookTest() { book.reset(OverlayCaptureAreaState::ready(), {QStringLiteral("b"), QStringLiteral("a")}); }

    const OverlayTextRow &row(const QString &areaID) { return book.rowsByAreaID()[areaID]; }

    OverlayViewModel viewModel{55, 12, 15};
    OverlayRowBook book{viewModel};
};

} // namespace

TEST_F(OverlayRowBookTest, RecognizedTextStartsATranslatingRowOnlyWhenItChanged)
{
    EXPECT_TRUE(book.updateRecognizedText(QStringLiteral("a"), QStringLiteral("  Hello\n  world ")));
    EXPECT_EQ(
        row(QStringLiteral("a")), OverlayTextRow::translating(QStringLiteral("a"), QStringLiteral("Hello world")));
    // The same text in other whitespace, an unknown area, an empty text: refused.
    EXPECT_FALSE(book.updateRecognizedText(QStringLiteral("a"), QStringLiteral("Hello \t world")));
    EXPECT_FALSE(book.updateRecognizedText(QStringLiteral("c"), QStringLiteral("Other")));
    EXPECT_FALSE(book.updateRecognizedText(QStringLiteral("b"), QStringLiteral(" \n ")));

    // A failed row is not retried for the same text; another text replaces it.
    EXPECT_FALSE(book.markTranslationFailed(QStringLiteral("a"), QStringLiteral("Other")));
    EXPECT_TRUE(book.markTranslationFailed(QStringLiteral("a"), QStringLiteral("Hello  world")));
    EXPECT_EQ(row(QStringLiteral("a")).translationState, OverlayTranslationState::failed);
    EXPECT_FALSE(book.updateRecognizedText(QStringLiteral("a"), QStringLiteral("Hello world")));
    EXPECT_TRUE(book.updateRecognizedText(QStringLiteral("a"), QStringLiteral("Next line")));
    EXPECT_EQ(row(QStringLiteral("a")).translationState, OverlayTranslationState::translating);
    EXPECT_FALSE(book.markTranslationFailed(QStringLiteral("b"), QStringLiteral("Next line")));

    // Outside the ready state nothing is taken.
    book.reset(OverlayCaptureAreaState::requiresCaptureAreas(), {QStringLiteral("a")});
    EXPECT_FALSE(book.updateRecognizedText(QStringLiteral("a"), QStringLiteral("Text")));
    EXPECT_TRUE(book.rowsByAreaID().isEmpty());
}

TEST_F(OverlayRowBookTest, TranslationsApplyOnlyToTheTextStillShown)
{
    ASSERT_TRUE(book.updateRecognizedText(QStringLiteral("a"), QStringLiteral("Hello world")));

    // A late translation of an earlier text, or one that is blank once cleaned: unchanged.
    book.applyTranslation(QStringLiteral("a"), translation(QStringLiteral("Earlier"), QStringLiteral("X")), {});
    book.applyTranslation(
        QStringLiteral("a"), translation(QStringLiteral("Hello world"), QStringLiteral(" \r\n ")), {});
    book.applyTranslation(QStringLiteral("b"), translation(QStringLiteral("Hello world"), QStringLiteral("X")), {});
    EXPECT_EQ(row(QStringLiteral("a")).translationState, OverlayTranslationState::translating);
    EXPECT_FALSE(book.rowsByAreaID().contains(QStringLiteral("b")));

    // Line ends become one newline each, the ends are trimmed, inner breaks stay.
    book.applyTranslation(QStringLiteral("a"),
        translation(QStringLiteral(" Hello\tworld "), QStringLiteral("  안녕\r\n세상\r끝  \r\n"), translationID),
        translationID);
    EXPECT_EQ(row(QStringLiteral("a")),
        OverlayTextRow::translated(QStringLiteral("a"), QStringLiteral("Hello world"), QStringLiteral("안녕\n세상\n끝"),
            translationID, QStringLiteral("Game"), TranslationTargetLanguage::korean));
    // A failure reported for the text shown replaces even a translated row.
    EXPECT_TRUE(book.markTranslationFailed(QStringLiteral("a"), QStringLiteral("Hello world")));
}

TEST_F(OverlayRowBookTest, RowsArePublishedInAreaOrderAndOnlyScreenshottedTranslationsAreReportable)
{
    QSignalSpy published(&viewModel, &OverlayViewModel::textRowsChanged);
    int publications = 0;
    book.setOnRowsPublished([&] { ++publications; });

    ASSERT_TRUE(book.updateRecognizedText(QStringLiteral("a"), QStringLiteral("First")));
    ASSERT_TRUE(book.updateRecognizedText(QStringLiteral("b"), QStringLiteral("Second")));
    // "b" comes first because the areas were given as b, a.
    ASSERT_EQ(viewModel.textRows().size(), 2);
    EXPECT_EQ(viewModel.textRows()[0].id, QStringLiteral("b"));
    EXPECT_EQ(viewModel.textRows()[1].id, QStringLiteral("a"));
    EXPECT_EQ(book.textRows(), viewModel.textRows());
    EXPECT_EQ(published.size(), 2);
    EXPECT_EQ(publications, 2);
    EXPECT_TRUE(book.reportTargets().isEmpty());

    // Without an identifier (no screenshot kept) a translation is shown but not reportable.
    book.applyTranslation(QStringLiteral("b"), translation(QStringLiteral("Second"), QStringLiteral("둘")), {});
    EXPECT_TRUE(book.reportTargets().isEmpty());
    CompletedTranslation untitled = translation(QStringLiteral("First"), QStringLiteral("하나"), translationID);
    untitled.gameTitle.reset();
    book.applyTranslation(QStringLiteral("a"), untitled, translationID);
    const TranslationReportTarget target{QStringLiteral("a"), translationID, QStringLiteral("First"),
        QStringLiteral("하나"), std::nullopt, TranslationTargetLanguage::korean};
    EXPECT_EQ(book.reportTargets(), QVector<TranslationReportTarget>{target});

    // A report target matches only the very translation; title and language are not compared.
    EXPECT_TRUE(book.rowMatchesReportTarget(target));
    TranslationReportTarget titled = target;
    titled.gameTitle = QStringLiteral("Other title");
    titled.targetLanguage = TranslationTargetLanguage::japanese;
    EXPECT_TRUE(book.rowMatchesReportTarget(titled));
    EXPECT_NE(titled, target);
    TranslationReportTarget otherText = target;
    otherText.translatedText = QStringLiteral("다른");
    EXPECT_FALSE(book.rowMatchesReportTarget(otherText));
    EXPECT_FALSE(book.resetForRetranslation(otherText));
    // The same texts of another translation (an earlier one of the same line) are not it.
    TranslationReportTarget otherTranslation = target;
    otherTranslation.translationID = QUuid::createUuid();
    EXPECT_FALSE(book.rowMatchesReportTarget(otherTranslation));
    EXPECT_FALSE(book.resetForRetranslation(otherTranslation));

    // After a taken report the row translates its text again.
    EXPECT_TRUE(book.resetForRetranslation(target));
    EXPECT_EQ(row(QStringLiteral("a")), OverlayTextRow::translating(QStringLiteral("a"), QStringLiteral("First")));
    EXPECT_FALSE(book.rowMatchesReportTarget(target));
    EXPECT_TRUE(book.reportTargets().isEmpty());
}

TEST(OverlayCaptureAreaState, LoadFailuresDifferByMessageTheOtherCasesByCase)
{
    EXPECT_EQ(OverlayCaptureAreaState::loadFailed(ErrorMessage::text("x")),
        OverlayCaptureAreaState::loadFailed(ErrorMessage::text("x")));
    EXPECT_NE(OverlayCaptureAreaState::loadFailed(ErrorMessage::text("x")),
        OverlayCaptureAreaState::loadFailed(ErrorMessage::text("y")));
    EXPECT_NE(OverlayCaptureAreaState::loadFailed(ErrorMessage::text("")), OverlayCaptureAreaState::ready());
    EXPECT_EQ(OverlayCaptureAreaState::ready(), OverlayCaptureAreaState::ready());
    EXPECT_NE(OverlayCaptureAreaState::requiresCaptureAreas(), OverlayCaptureAreaState::targetUnavailable());
    EXPECT_TRUE(OverlayCaptureAreaState::ready().isReady());
    EXPECT_FALSE(OverlayCaptureAreaState::targetUnavailable().isReady());
}
