#pragma once

#include "capture/areas/CaptureArea.h"
#include "capture/pipeline/CaptureFrameRecognitionCache.h"
#include "capture/pipeline/DefaultCaptureFrameProcessor.h"
#include "support/GameDialogueFrames.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace veyra::test {

// How well one recognised text matches the lines of a dialogue box.
struct RecognitionScore
{
    // Characters of the expected text (the lines joined by single spaces).
    qsizetype characters = 0;
    // Insertions, deletions and substitutions that turn the expected text into the
    // recognised one (Levenshtein distance over Unicode scalars).
    qsizetype errors = 0;
    int lines = 0;
    // Lines that no edit touches (text added right after a line counts against it).
    int exactLines = 0;

    RecognitionScore &operator+=(const RecognitionScore &other);
    double characterErrorRate() const;
    double exactLineShare() const;
};

// Compares after NFKC normalisation (full- and half-width forms count as the same
// character) and whitespace collapsing of both texts.
RecognitionScore scoreRecognition(const QStringList &expectedLines, const QString &recognised);

// The capture area a player makes for the frame in the editor: its rough search region,
// and the colour the eyedropper picks at the click (the editor's sample square, analysed
// by the editor's analyser). The profile's reference size is the frame's size.
CaptureAreaProfile captureAreaProfileFor(const GameDialogueFrame &frame);

// Reads the frame's dialogue the way the capture loop does: the frame processor with the
// live detector and recogniser. The empty text when the area gives no result.
QString readThroughFrameProcessor(DefaultCaptureFrameProcessor &processor, const GameDialogueFrame &frame,
    std::shared_ptr<CaptureFrameRecognitionCache> cache = nullptr);

// The same with a capture area made on another frame of the game: the window's frame at
// another size read with the area the player made before resizing it.
QString readThroughFrameProcessor(
    DefaultCaptureFrameProcessor &processor, const QImage &frame, const CaptureAreaProfile &profile);

} // namespace veyra::test
