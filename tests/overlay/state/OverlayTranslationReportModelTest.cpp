// Test label: unit
// The report popover's state: choosing, reviewing, submitting once, and the failure shown
// only for the target under review.
#include "overlay/state/OverlayTranslationReportModel.h"
#include "foundation/language/ClientLanguage.h"

#include <gtest/gtest.h>

using namespace veyra;

namespace {

TranslationReportTarget target(const QString &areaID)
{
    return {areaID, QUuid::createUuid(), QStringLiteral("source ") + areaID, QStringLiteral("translated ") + areaID,
        QStringLiteral("Game"), TranslationTargetLanguage::japanese};
}

using Screen = OverlayTranslationReportModel::Screen;

} // namespace

TEST(OverlayTranslationReportModel, ReviewSubmitAndFailure)
{
    const TranslationReportTarget a = target(QStringLiteral("a"));
    const TranslationReportTarget b = target(QStringLiteral("b"));
    OverlayTranslationReportModel model({a, b});
    QVector<TranslationReportTarget> submitted;
    model.setOnSubmit([&](const TranslationReportTarget &chosen) {
        // Called after the submitting state is visible.
        EXPECT_TRUE(model.isSubmitting());
        submitted.append(chosen);
    });
    EXPECT_EQ(model.screen(), Screen::list());
    EXPECT_FALSE(model.isSubmitting());
    EXPECT_FALSE(model.failureMessage());

    model.select(a);
    EXPECT_EQ(model.screen(), Screen::confirmation(a));
    // A target that is not listed (it differs in the game title) is not submitted.
    TranslationReportTarget retitled = a;
    retitled.gameTitle = QStringLiteral("Other");
    model.submit(retitled);
    EXPECT_TRUE(submitted.isEmpty());
    EXPECT_FALSE(model.isSubmitting());

    model.submit(a);
    model.submit(a);
    EXPECT_EQ(submitted, QVector<TranslationReportTarget>{a});
    // While submitting, going back or choosing another does nothing.
    model.showList();
    model.select(b);
    EXPECT_EQ(model.screen(), Screen::confirmation(a));

    // A failure of another target, even one that differs only in its title, is ignored.
    model.submissionFailed(b);
    model.submissionFailed(retitled);
    EXPECT_TRUE(model.isSubmitting());
    EXPECT_FALSE(model.failureMessage());

    model.submissionFailed(a);
    EXPECT_FALSE(model.isSubmitting());
    EXPECT_EQ(model.failureMessage(), QStringLiteral("Couldn't report this translation. Try again later."));
    EXPECT_EQ(model.screen(), Screen::confirmation(a));
    model.select(b);
    EXPECT_FALSE(model.failureMessage());
    EXPECT_EQ(model.screen(), Screen::confirmation(b));
}

TEST(OverlayTranslationReportModel, WithoutASubmitHandlerTheSubmissionFailsAtOnce)
{
    setCurrentClientLanguage(ClientLanguage::korean);
    const TranslationReportTarget a = target(QStringLiteral("a"));
    OverlayTranslationReportModel model({a});
    model.select(a);
    model.submit(a);
    EXPECT_FALSE(model.isSubmitting());
    ASSERT_TRUE(model.failureMessage());
    EXPECT_EQ(*model.failureMessage(), QStringLiteral("이 번역을 신고하지 못했습니다. 나중에 다시 시도하세요."));
    // A message on screen is worded in the language of the moment it is read.
    setCurrentClientLanguage(ClientLanguage::english);
    EXPECT_EQ(model.failureMessage(), QStringLiteral("Couldn't report this translation. Try again later."));
    // The user can try again or go back.
    model.showList();
    EXPECT_EQ(model.screen(), Screen::list());
    EXPECT_FALSE(model.failureMessage());
    setCurrentClientLanguage(ClientLanguage::english);
}
