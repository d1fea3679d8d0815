// Test label: unit
#include "capture/recognition/JapaneseSpacing.h"
#include "capture/recognition/LatinText.h"

#include <gtest/gtest.h>

using namespace veyra;

TEST(ScriptTextCleanup, AStrokeWhereThePronounStandsIsACapitalI)
{
    // What the image shows: one solid stroke everywhere, or a stroke with a dot.
    const auto restoringCapitalI = [](const QString &line, bool solidStroke = true) {
        return veyra::restoringCapitalI(line, [solidStroke](qsizetype, qsizetype) { return solidStroke; });
    };
    EXPECT_EQ(restoringCapitalI(QStringLiteral("l can't carry it. 1 found these. | knew it.")),
        QStringLiteral("I can't carry it. I found these. I knew it."));
    EXPECT_EQ(restoringCapitalI(QStringLiteral("Fine, l'll do it. \"1'm here\", T told you")),
        QStringLiteral("Fine, I'll do it. \"I'm here\", I told you"));
    // Words, numbers and a capital T before a name stay.
    EXPECT_EQ(restoringCapitalI(QStringLiteral("Only 1 day left. Take the lantern. T Rex")),
        QStringLiteral("Only 1 day left. Take the lantern. T Rex"));
    EXPECT_EQ(restoringCapitalI(QStringLiteral("The last one: 1")), QStringLiteral("The last one: 1"));
    // An exclamation mark alone before a word in lower case is the pronoun; one after a
    // word, or before a capital, stays.
    EXPECT_EQ(restoringCapitalI(QStringLiteral("Hmm... ! have it. ! never did. \"!'m here\" \\ found it. T'll go")),
        QStringLiteral("Hmm... I have it. I never did. \"I'm here\" I found it. I'll go"));
    EXPECT_EQ(restoringCapitalI(QStringLiteral("Run! now. Stop ! Go. Wait!! please. T's T'lls")),
        QStringLiteral("Run! now. Stop ! Go. Wait!! please. T's T'lls"));
    // Where the image shows an exclamation mark, it stays one.
    EXPECT_EQ(restoringCapitalI(QStringLiteral("Wait ! look out. Level 1! go"), false),
        QStringLiteral("Wait ! look out. Level 1! go"));
    EXPECT_EQ(restoringCapitalI(QStringLiteral("Hmm... 1! have never"), true), QStringLiteral("Hmm... I have never"));
}

TEST(ScriptTextCleanup, JapaneseLosesTheSpacesAroundItsPunctuation)
{
    EXPECT_EQ(removingSpacesInJapanese(QStringLiteral("待って ! まだ その扉を 開けないで 。")),
        QStringLiteral("待って!まだその扉を開けないで。"));
    EXPECT_EQ(removingSpacesInJapanese(QStringLiteral("聞こえた ? 何か")), QStringLiteral("聞こえた?何か"));
    // Spaces between Latin words, and between Hangul words, stay.
    EXPECT_EQ(removingSpacesInJapanese(QStringLiteral("HP が OK です")), QStringLiteral("HPがOKです"));
    EXPECT_EQ(removingSpacesInJapanese(QStringLiteral("New Game を選ぶ")), QStringLiteral("New Gameを選ぶ"));
    EXPECT_EQ(
        removingSpacesInJapanese(QStringLiteral("우리 마을을 구해 줘서")), QStringLiteral("우리 마을을 구해 줘서"));
}
