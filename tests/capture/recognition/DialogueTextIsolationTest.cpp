// Test label: unit
// What the isolation of a box's dialogue keeps, on generated game frames where one of its
// rules decides what is read; the frames are read the capture loop's way (the frame
// processor with the live detector and recogniser).
#include "capture/pipeline/DefaultCaptureFrameProcessor.h"
#include "capture/recognition/DialogueSearchRegionDetector.h"
#include "capture/recognition/TesseractTextRecognizer.h"
#include "support/GameDialogueFrames.h"
#include "support/RecognitionQuality.h"

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
