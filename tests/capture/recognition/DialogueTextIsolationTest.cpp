// Test label: unit
// What the isolation of a box's dialogue keeps, on generated game frames where one of its
// rules decides what is read; the frames are read the capture loop's way (the frame
// processor with the live detector and recogniser).
#include "capture/recognition/DialogueTextIsolation.h"
#include "capture/pipeline/DefaultCaptureFrameProcessor.h"
#include "capture/recognition/DialogueSearchRegionDetector.h"
#include "capture/recognition/TesseractTextRecognizer.h"
#include "support/GameDialogueFrames.h"
#include "support/RecognitionQuality.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;

TEST(DialogueTextIsolation, TheBoxEndsWhereItsOwnColourGivesWayToTheScene)
{
    // A translucent box with an inset border, the speaker's tag in the box's colour across
    // its top edge, over a busy scene: the box's top edge runs along its own colour, so the
    // tag's name, reaching below that edge, stays out of the dialogue.
    const GameDialogueFrame frame = generateGameDialogueFrame(DialogueLanguage::korean, 113);
    DefaultCaptureFrameProcessor processor(
        std::make_shared<TesseractTextRecognizer>(), std::make_shared<DialogueSearchRegionDetector>());
    EXPECT_EQ(
        readThroughFrameProcessor(processor, frame).toStdString(), frame.lines.join(QLatin1Char(' ')).toStdString())
        << qPrintable(frame.description);
}

TEST(DialogueTextIsolation, ABoxOnASceneOfItsOwnColourKeepsItsText)
{
    // A dark box low in its search region, over a scene within the detector's distance of
    // the box's colour: the box's colour in the wide sense spreads over the whole region.
    // The window is 0.65 times the size the area was made at. The box's sides, looked for
    // around the middle of that region, lay below it, and a scene shape's side was taken
    // for the box's: the text was cut off at it and nothing was read.
    const CaptureAreaProfile profile = captureAreaProfileFor(generateGameDialogueFrame(DialogueLanguage::korean, 21));
    const GameDialogueFrame frame = generateGameDialogueFrame(DialogueLanguage::korean, 21, 0.65);
    DefaultCaptureFrameProcessor processor(
        std::make_shared<TesseractTextRecognizer>(), std::make_shared<DialogueSearchRegionDetector>());
    const QString text = readThroughFrameProcessor(processor, frame.frame, profile);
    // 흩, the first syllable, is one the Korean model has never seen written.
    EXPECT_LE(scoreRecognition(frame.lines, text).errors, 1) << qPrintable(text);

    // A translucent grey box whose solid colour is only where a dark shape of the scene
    // lies behind its right end: that shape's sides are no sides of the box.
    const GameDialogueFrame translucent = generateGameDialogueFrame(DialogueLanguage::japanese, 143);
    EXPECT_EQ(readThroughFrameProcessor(processor, translucent).toStdString(),
        translucent.lines.join(QLatin1Char(' ')).toStdString())
        << qPrintable(translucent.description);
}

TEST(DialogueTextIsolation, ABorderThatScalingBreaksUpIsNoText)
{
    // A translucent box with an inset border of one line, its window 1.07 times the size
    // the area was made at: the border's antialiased line breaks up into its sides (thin
    // marks nearly as tall as the box) and specks along its top and bottom. They were read
    // as "「湖を渡るには船が必要だ。 しと"; at some sizes nearby the specks' lines were
    // taken for the text's height and the glyphs dropped as too tall.
    const CaptureAreaProfile profile = captureAreaProfileFor(generateGameDialogueFrame(DialogueLanguage::japanese, 7));
    const GameDialogueFrame frame = generateGameDialogueFrame(DialogueLanguage::japanese, 7, 1.07);
    DefaultCaptureFrameProcessor processor(
        std::make_shared<TesseractTextRecognizer>(), std::make_shared<DialogueSearchRegionDetector>());
    EXPECT_EQ(readThroughFrameProcessor(processor, frame.frame, profile).toStdString(),
        frame.lines.join(QLatin1Char(' ')).toStdString())
        << qPrintable(frame.description);

    // The top of such a border, broken by the speaker's tag and by the scaling into long
    // thin pieces, each less than half the box wide: once the border's sides no longer
    // made the whole box one line, those pieces were read as a row of "ー".
    const CaptureAreaProfile taggedProfile
        = captureAreaProfileFor(generateGameDialogueFrame(DialogueLanguage::japanese, 52));
    const GameDialogueFrame tagged = generateGameDialogueFrame(DialogueLanguage::japanese, 52, 1.32);
    EXPECT_EQ(readThroughFrameProcessor(processor, tagged.frame, taggedProfile).toStdString(),
        tagged.lines.join(QLatin1Char(' ')).toStdString())
        << qPrintable(tagged.description);
}

TEST(DialogueTextIsolation, ACharacterTooSmallForItsStrokesToPartIsText)
{
    // Korean text 10 pixels high, its window 0.62 times the size the area was made at: the
    // three rows of 를 run together into one solid mark, which was dropped as a blob far
    // thicker than the text's strokes, and the line was read as "목소리 낮춰. ...".
    const CaptureAreaProfile profile = captureAreaProfileFor(generateGameDialogueFrame(DialogueLanguage::korean, 18));
    const GameDialogueFrame frame = generateGameDialogueFrame(DialogueLanguage::korean, 18, 0.62);
    DefaultCaptureFrameProcessor processor(
        std::make_shared<TesseractTextRecognizer>(), std::make_shared<DialogueSearchRegionDetector>());
    EXPECT_EQ(readThroughFrameProcessor(processor, frame.frame, profile).toStdString(),
        frame.lines.join(QLatin1Char(' ')).toStdString())
        << qPrintable(frame.description);
}

TEST(DialogueTextIsolation, CountsTheLinesItKeeps)
{
    // White text 30 pixels high on a dark box: one line, and two lines 50 pixels apart
    // (a box of one line is read in single-line mode).
    const QColor colour(20, 30, 80);
    const auto lines = [&](const QStringList &text) {
        QImage box(900, 200, QImage::Format_RGB32);
        box.fill(colour);
        QPainter painter(&box);
        QFont font(QStringLiteral("Noto Sans CJK KR"));
        font.setPixelSize(30);
        painter.setFont(font);
        painter.setPen(Qt::white);
        for (int line = 0; line < text.size(); ++line) {
            painter.drawText(QPoint(60, 80 + line * 50), text[line]);
        }
        painter.end();
        return isolateDialogueText(box, {colour.red(), colour.green(), colour.blue()}).lines;
    };
    const QString first = QStringLiteral("북쪽 다리가 무너졌습니다.");
    EXPECT_EQ(lines({first}), 1);
    EXPECT_EQ(lines({first, QStringLiteral("다른 길을 찾아야 합니다.")}), 2);
}
