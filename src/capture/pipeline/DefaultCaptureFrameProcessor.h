#pragma once

#include "capture/pipeline/CaptureFrameProcessing.h"
#include "capture/recognition/DialogueRegionDetecting.h"
#include "capture/recognition/TextRecognizing.h"
#include "foundation/logging/Logger.h"

#include <QRectF>
#include <QThreadPool>

#include <memory>
#include <optional>

namespace veyra {

// The live frame processor: carries each area's search region from the reference size to
// the frame, lets the detector find the dialogue box in it and the recogniser read the
// box. Detection and cropping run on one worker, area after area; then the recognitions
// run on workers, at most maxConcurrentOCRJobs at a time. The GUI thread only
// orchestrates. Keeps no state of its own, so overlapping calls are independent.
class DefaultCaptureFrameProcessor : public CaptureFrameProcessing
{
public:
    static constexpr int maxConcurrentOCRJobs = 2;

    // `pool` defaults to cpuWorkPool().
    DefaultCaptureFrameProcessor(std::shared_ptr<const TextRecognizing> recognizer,
        std::shared_ptr<const DialogueRegionDetecting> dialogueSearchDetector,
        Logger logger = Logger("CapturePipeline"), QThreadPool *pool = nullptr);

    QCoro::Task<QVector<CaptureAreaText>> process(QImage frame, CaptureAreaProfile profile, CancellationToken token,
        std::shared_ptr<CaptureFrameRecognitionCache> cache) override;

    const std::shared_ptr<const TextRecognizing> &recognizer() const { return m_recognizer; }
    const std::shared_ptr<const DialogueRegionDetecting> &dialogueSearchDetector() const
    {
        return m_dialogueSearchDetector;
    }

private:
    struct OCRJob
    {
        qsizetype profileIndex = 0;
        QString areaID;
        QImage image;
        // The box's colour, which the recogniser tells the text from the box by.
        DialogueBackgroundPattern backgroundPattern;
        // Set when the cache holds this very box: no recognition needed.
        std::optional<QString> rememberedText;
    };
    struct OCRBatch;

    static QVector<OCRJob> makeOCRJobs(const QImage &frame, const CaptureAreaProfile &profile,
        const DialogueRegionDetecting &detector, const CancellationToken &token,
        const CaptureFrameRecognitionCache::Entries &remembered);
    static QVector<CaptureAreaText> collectResults(
        const OCRBatch &batch, qsizetype areaCount, CaptureFrameRecognitionCache *cache);
    static QCoro::Task<void> runOCRLane(std::shared_ptr<OCRBatch> batch);
    static QCoro::Task<std::optional<QString>> performOCRJob(OCRJob job, std::shared_ptr<OCRBatch> batch);

    std::shared_ptr<const TextRecognizing> m_recognizer;
    std::shared_ptr<const DialogueRegionDetecting> m_dialogueSearchDetector;
    Logger m_logger;
    QThreadPool *m_pool;
};

// The pixels of `image` inside `rect` (rounded outward to whole pixels, intersected with
// the image), as a new image; nothing when the intersection is empty.
std::optional<QImage> cropImage(const QImage &image, const QRectF &rect);

} // namespace veyra
