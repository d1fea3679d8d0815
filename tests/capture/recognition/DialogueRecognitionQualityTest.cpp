// Test label: unit
// How well dialogue is read through the frame processor, on a fixed set of generated game
// frames (the benchmark bench/recognition_quality runs the same path on many more): light,
// dark and translucent boxes over busy scenes, name tags on and around the box's edge,
// continue markers, one to three lines in English, Japanese and Korean. The floors sit a
// little under what the benchmark measured on this set, so a change that loses quality
// fails here.
#include "capture/pipeline/DefaultCaptureFrameProcessor.h"
#include "capture/recognition/DialogueSearchRegionDetector.h"
#include "capture/recognition/TesseractTextRecognizer.h"
#include "support/GameDialogueFrames.h"
#include "support/RecognitionQuality.h"

#include <QFontDatabase>

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;

namespace {

struct Floor
{
    DialogueLanguage language;
    // The largest character error rate allowed, and the smallest share of lines read
    // exactly.
    double characterErrorRate;
    double exactLineShare;
};

constexpr std::uint32_t firstSeed = 9;
constexpr int framesPerLanguage = 12;

} // namespace

TEST(DialogueRecognitionQuality, GameDialogueIsReadAlmostWithoutError)
{
    for (const QString &family : gameDialogueFontFamilies()) {
        ASSERT_TRUE(QFontDatabase::families().contains(family)) << qPrintable(family) << " is not installed";
    }
    DefaultCaptureFrameProcessor processor(
        std::make_shared<TesseractTextRecognizer>(), std::make_shared<DialogueSearchRegionDetector>());
    // Measured on this set: English 0.31 % and 23 of 24 lines, Japanese 0.55 % and 20 of
    // 22, Korean 0.36 % and 25 of 27. Each floor allows one more line lost.
    for (const Floor &floor : {Floor{DialogueLanguage::english, 0.01, 0.9},
             Floor{DialogueLanguage::japanese, 0.015, 0.85}, Floor{DialogueLanguage::korean, 0.01, 0.88}}) {
        RecognitionScore total;
        for (int k = 0; k < framesPerLanguage; ++k) {
            const GameDialogueFrame frame = generateGameDialogueFrame(floor.language, firstSeed + k);
            const QString text = readThroughFrameProcessor(processor, frame);
            const RecognitionScore score = scoreRecognition(frame.lines, text);
            total += score;
            if (score.errors > 0) {
                std::printf("%s\n  expected: %s\n  read:     %s\n", qPrintable(frame.description),
                    qPrintable(frame.lines.join(QLatin1Char(' '))), qPrintable(text));
            }
        }
        const QString language = dialogueLanguageName(floor.language);
        std::printf("%s: character error rate %.2f %%, %d of %d lines exact\n", qPrintable(language),
            100.0 * total.characterErrorRate(), total.exactLines, total.lines);
        EXPECT_LE(total.characterErrorRate(), floor.characterErrorRate) << qPrintable(language);
        EXPECT_GE(total.exactLineShare(), floor.exactLineShare) << qPrintable(language);
    }
}

TEST(DialogueRecognitionQuality, TheScoreCountsEditsAndTheLinesTheyTouch)
{
    // The measure itself: a marker read after the first line spoils that line only.
    const RecognitionScore marker = scoreRecognition(
        {QStringLiteral("Wait here."), QStringLiteral("I'll be back.")}, QStringLiteral("Wait here. Vv I'll be back."));
    EXPECT_EQ(marker.characters, 24);
    EXPECT_EQ(marker.errors, 3);
    EXPECT_EQ(marker.lines, 2);
    EXPECT_EQ(marker.exactLines, 1);
    // Full-width and half-width forms are one character; a lost line counts in full.
    const RecognitionScore japanese
        = scoreRecognition({QStringLiteral("待って！"), QStringLiteral("まだだ。")}, QStringLiteral("待って!"));
    EXPECT_EQ(japanese.errors, 5);
    EXPECT_EQ(japanese.exactLines, 1);
    EXPECT_EQ(scoreRecognition({QStringLiteral("그래.")}, QStringLiteral("그래.")).exactLineShare(), 1.0);
}
