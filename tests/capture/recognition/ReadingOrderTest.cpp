// Test label: unit
#include "capture/recognition/JapaneseSpacing.h"
#include "capture/recognition/RecognizedTextFragment.h"

#include <gtest/gtest.h>

using namespace veyra;

namespace {
// A fragment by its left edge and its lower and upper edges (normalised, y upwards).
RecognizedTextFragment fragment(const QString &text, double minX, double minY, double maxY, double width = 0.1)
{
    return {text, QRectF(minX, minY, width, maxY - minY), 0.9F};
}
} // namespace

TEST(ReadingOrder, DropsBlankFragmentsAndJoinsWithSingleSpaces)
{
    EXPECT_EQ(readingOrderText({}), QString());
    EXPECT_EQ(readingOrderText({fragment(QStringLiteral(" "), 0.1, 0.5, 0.6),
                  fragment(QStringLiteral("\n"), 0.2, 0.5, 0.6), fragment(QStringLiteral("\t\u3000 "), 0.3, 0.5, 0.6)}),
        QString());
    // A fragment's own line break becomes one space; leading and trailing blanks go.
    EXPECT_EQ(
        readingOrderText({fragment(QStringLiteral("  two\nwords  "), 0.1, 0.5, 0.6)}), QStringLiteral("two words"));
}

TEST(ReadingOrder, SameHeightLeftToRightAndRowsTopToBottom)
{
    // Centres within 0.001: the left one first.
    EXPECT_EQ(readingOrderText({fragment(QStringLiteral("world"), 0.5, 0.5, 0.6),
                  fragment(QStringLiteral("Hello"), 0.1, 0.5005, 0.6005)}),
        QStringLiteral("Hello world"));
    // Further apart the higher one sorts first, but overlapping by at least half the
    // smaller height they share a line and read left to right.
    EXPECT_EQ(readingOrderText(
                  {fragment(QStringLiteral("A"), 0.1, 0.5, 0.6), fragment(QStringLiteral("B"), 0.5, 0.53, 0.63)}),
        QStringLiteral("A B"));
    // Clearly separate rows: two lines, the upper first.
    EXPECT_EQ(readingOrderText({fragment(QStringLiteral("second"), 0.1, 0.1, 0.3),
                  fragment(QStringLiteral("first"), 0.4, 0.6, 0.8)}),
        QStringLiteral("first second"));
    // No overlap, but centres within half the larger height: one line.
    EXPECT_EQ(readingOrderText({fragment(QStringLiteral("tall"), 0.5, 0.25, 0.75),
                  fragment(QStringLiteral("small"), 0.1, 0.75, 0.875)}),
        QStringLiteral("small tall"));
}

TEST(ReadingOrder, FragmentsJoinTheFirstMatchingLineWhichNeverWidens)
{
    // f matches the lines of both A and B and joins A's, created first.
    const auto a = fragment(QStringLiteral("A"), 0.1, 0.5, 0.875);
    const auto b = fragment(QStringLiteral("B"), 0.3, 0.25, 0.5);
    const auto f = fragment(QStringLiteral("f"), 0.6, 0.0, 0.75);
    EXPECT_EQ(readingOrderText({f, b, a}), QStringLiteral("A f B"));

    // A line is compared through its first fragment only: g would share a line with the
    // lower member f1, but not with the line's first fragment, so it starts a new line.
    const auto head = fragment(QStringLiteral("head"), 0.5, 0.5, 0.625);
    const auto f1 = fragment(QStringLiteral("f1"), 0.1, 0.375, 0.625);
    const auto g = fragment(QStringLiteral("g"), 0.0, 0.3125, 0.4375);
    EXPECT_EQ(readingOrderText({g, f1, head}), QStringLiteral("f1 head g"));
}

TEST(ReadingOrder, TheToleranceIsAppliedStepByStepAsAnInsertionSort)
{
    // Centres 0.0008 apart are "level" but 0.0016 apart are not: the rule is not
    // transitive. Tiny heights keep every fragment on its own line, so the output shows
    // the sorted order itself: each element moves forward while it compares as earlier.
    const double h = 0.00001;
    const auto a = fragment(QStringLiteral("a"), 0.1, 0.5 - h, 0.5 + h);
    const auto b = fragment(QStringLiteral("b"), 0.3, 0.5008 - h, 0.5008 + h);
    const auto c = fragment(QStringLiteral("c"), 0.2, 0.5016 - h, 0.5016 + h);
    EXPECT_EQ(readingOrderText({a, b, c}), QStringLiteral("c a b"));
    EXPECT_EQ(readingOrderText({b, a, c}), QStringLiteral("c a b"));
    EXPECT_EQ(readingOrderText({c, b, a}), QStringLiteral("c a b"));
    EXPECT_EQ(readingOrderText({b, c, a}), QStringLiteral("c a b"));
    // With other left edges the same three read differently.
    const auto a2 = fragment(QStringLiteral("a"), 0.3, 0.5 - h, 0.5 + h);
    const auto c2 = fragment(QStringLiteral("c"), 0.1, 0.5016 - h, 0.5016 + h);
    const auto b2 = fragment(QStringLiteral("b"), 0.2, 0.5008 - h, 0.5008 + h);
    EXPECT_EQ(readingOrderText({a2, b2, c2}), QStringLiteral("c b a"));
}

TEST(JapaneseSpacing, RemovesSpacesOnlyBetweenHanAndKana)
{
    EXPECT_EQ(removingSpacesBetweenHanAndKana(QStringLiteral("今日 は  いい 天気 です 。")),
        QStringLiteral("今日はいい天気です。"));
    EXPECT_EQ(removingSpacesBetweenHanAndKana(QStringLiteral("「 カタカナ ー 」")), QStringLiteral("「カタカナー」"));
    EXPECT_EQ(removingSpacesBetweenHanAndKana(QStringLiteral("\U0002000B \U0002000B ｶ ﾀ")),
        QStringLiteral("\U0002000B\U0002000Bｶﾀ"));
    // Korean words, Latin text and mixed boundaries keep their spaces.
    EXPECT_EQ(removingSpacesBetweenHanAndKana(QStringLiteral("안녕 하세요 漢字 한글")),
        QStringLiteral("안녕 하세요 漢字 한글"));
    EXPECT_EQ(
        removingSpacesBetweenHanAndKana(QStringLiteral("Hello 世界 and 2 つ")), QStringLiteral("Hello 世界 and 2 つ"));
    EXPECT_EQ(removingSpacesBetweenHanAndKana(QStringLiteral(" 日本 \n 語 ")), QStringLiteral(" 日本 \n 語 "));
    EXPECT_EQ(removingSpacesBetweenHanAndKana(QStringLiteral("日本\u3000語")), QStringLiteral("日本\u3000語"));
    EXPECT_EQ(removingSpacesBetweenHanAndKana(QString()), QString());
}
