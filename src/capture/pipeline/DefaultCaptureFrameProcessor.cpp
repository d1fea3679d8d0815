#include "capture/pipeline/DefaultCaptureFrameProcessor.h"

#include "capture/pipeline/FrameCrops.h"
#include "foundation/async/AsyncTask.h"
#include "foundation/text/TextNormalization.h"

#include <vector>

namespace veyra {

std::optional<QImage> cropImage(const QImage &image, const QRectF &rect)
{
    if (image.isNull()) {
        return std::nullopt;
    }
    const std::optional<QRect> pixels = cropRect(image.size(), rect);
    if (!pixels) {
        return std::nullopt;
    }
    QImage cropped = image.copy(*pixels);
    if (cropped.isNull()) {
        return std::nullopt;
    }
    return cropped;
}

// The jobs of one call, shared by its recognition lanes; GUI thread only.
struct DefaultCaptureFrameProcessor::OCRBatch
{
    QVector<OCRJob> jobs;
    // The normalised text of each job, once read; nothing when it failed or was dropped.
    QVector<std::optional<QString>> texts;
    qsizetype nextJob = 0;
    CancellationToken token;
    std::shared_ptr<const TextRecognizing> recognizer;
    Logger logger;
    QThreadPool *pool;
};

DefaultCaptureFrameProcessor::DefaultCaptureFrameProcessor(std::shared_ptr<const TextRecognizing> recognizer,
    std::shared_ptr<const DialogueRegionDetecting> dialogueSearchDetector, Logger logger, QThreadPool *pool)
    : m_recognizer(std::move(recognizer))
    , m_dialogueSearchDetector(std::move(dialogueSearchDetector))
    , m_logger(std::move(logger))
    , m_pool(pool ? pool : &cpuWorkPool())
{ }

QVector<DefaultCaptureFrameProcessor::OCRJob> DefaultCaptureFrameProcessor::makeOCRJobs(const QImage &frame,
    const CaptureAreaProfile &profile, const DialogueRegionDetecting &detector, const CancellationToken &token,
    const CaptureFrameRecognitionCache::Entries &remembered)
{
    QVector<OCRJob> jobs;
    const std::int64_t width = frame.width();
    const std::int64_t height = frame.height();
    for (qsizetype index = 0; index < profile.areas.size(); ++index) {
        if (token.isCancelled()) {
            return {};
        }
        if (profile.referenceImageWidth < 1 || profile.referenceImageHeight < 1 || width < 1 || height < 1) {
            continue;
        }
        const CaptureArea &area = profile.areas[index];
        const double sx = static_cast<double>(width) / static_cast<double>(profile.referenceImageWidth);
        const double sy = static_cast<double>(height) / static_cast<double>(profile.referenceImageHeight);
        const CaptureRegion region = area.searchRegion.scaled(sx, sy).clamped({0, 0, width, height});
        try {
            // The region and the box are views of the frame: only a box that changed
            // since the previous pass is copied out (to be read, and remembered).
            const QImage regionImage = pixelView(frame,
                QRect(static_cast<int>(region.left), static_cast<int>(region.top), static_cast<int>(region.width),
                    static_cast<int>(region.height)));
            if (regionImage.isNull()) {
                continue;
            }
            const auto box = detector.detect(regionImage, area.backgroundPattern);
            if (!box) {
                continue;
            }
            const std::optional<QRect> boxPixels = cropRect(regionImage.size(), *box);
            if (!boxPixels) {
                continue;
            }
            const QImage boxView = pixelView(regionImage, *boxPixels);
            if (auto entry = CaptureFrameRecognitionCache::remembered(remembered, index, area.id, boxView)) {
                jobs.append({index, area.id, entry->boxImage, area.backgroundPattern, entry->text});
                continue;
            }
            QImage boxImage = boxView.copy();
            if (boxImage.isNull()) {
                continue;
            }
            jobs.append({index, area.id, std::move(boxImage), area.backgroundPattern, std::nullopt});
        } catch (...) {
            // The detector fails only by finding nothing; anything else (memory) counts the same.
            continue;
        }
    }
    return jobs;
}

QCoro::Task<QVector<CaptureAreaText>> DefaultCaptureFrameProcessor::process(QImage frame, CaptureAreaProfile profile,
    CancellationToken token, std::shared_ptr<CaptureFrameRecognitionCache> cache)
{
    if (profile.areas.isEmpty() || token.isCancelled()) {
        co_return {};
    }

    auto batch = std::make_shared<OCRBatch>(OCRBatch{{}, {}, 0, token, m_recognizer, m_logger, m_pool});
    CaptureFrameRecognitionCache::Entries remembered;
    if (cache) {
        remembered = cache->entries();
    }
    // Named, not a temporary of the co_await expression (see performOCRJob).
    auto prepare = [frame, profile, detector = m_dialogueSearchDetector, token, remembered] {
        return makeOCRJobs(frame, profile, *detector, token, remembered);
    };
    try {
        batch->jobs = co_await runOnWorker(*m_pool, std::move(prepare));
    } catch (...) {
        co_return {};
    }
    if (token.isCancelled()) {
        co_return {};
    }

    batch->texts.resize(batch->jobs.size());
    for (qsizetype index = 0; index < batch->jobs.size(); ++index) {
        batch->texts[index] = batch->jobs[index].rememberedText;
    }
    // Each lane takes the next job as soon as its previous one is done, so at most
    // maxConcurrentOCRJobs recognitions run at once and a slow area holds back nothing else.
    std::vector<QCoro::Task<void>> lanes;
    lanes.reserve(maxConcurrentOCRJobs);
    for (int lane = 0; lane < maxConcurrentOCRJobs; ++lane) {
        lanes.push_back(runOCRLane(batch));
    }
    for (auto &lane : lanes) {
        co_await lane;
    }
    if (token.isCancelled()) {
        co_return {};
    }

    co_return collectResults(*batch, profile.areas.size(), cache.get());
}

QVector<CaptureAreaText> DefaultCaptureFrameProcessor::collectResults(
    const OCRBatch &batch, qsizetype areaCount, CaptureFrameRecognitionCache *cache)
{
    // The jobs are in area order, so the results are too.
    QVector<CaptureAreaText> results;
    CaptureFrameRecognitionCache::Entries entries(areaCount);
    for (qsizetype index = 0; index < batch.jobs.size(); ++index) {
        const OCRJob &job = batch.jobs[index];
        const std::optional<QString> &text = batch.texts[index];
        if (!text) {
            continue;
        }
        entries[job.profileIndex] = CaptureFrameRecognitionCache::Entry{job.areaID, job.image, *text};
        if (!text->isEmpty()) {
            results.append(CaptureAreaText{job.areaID, *text, std::nullopt});
        }
    }
    if (cache) {
        cache->replace(std::move(entries));
    }
    return results;
}

QCoro::Task<void> DefaultCaptureFrameProcessor::runOCRLane(std::shared_ptr<OCRBatch> batch)
{
    for (;;) {
        while (batch->nextJob < batch->jobs.size() && batch->jobs[batch->nextJob].rememberedText) {
            ++batch->nextJob;
        }
        if (batch->token.isCancelled() || batch->nextJob >= batch->jobs.size()) {
            co_return;
        }
        const qsizetype index = batch->nextJob++;
        auto text = co_await performOCRJob(batch->jobs[index], batch);
        batch->texts[index] = std::move(text);
    }
}

QCoro::Task<std::optional<QString>> DefaultCaptureFrameProcessor::performOCRJob(
    OCRJob job, std::shared_ptr<OCRBatch> batch)
{
    if (batch->token.isCancelled()) {
        co_return std::nullopt;
    }
    // Named, not a temporary of the co_await expression: g++ 12 destroys a lambda or braced
    // temporary there twice.
    auto recognize = [recognizer = batch->recognizer, image = job.image, pattern = job.backgroundPattern] {
        return collapseWhitespace(recognizer->recognizeDialogueText(image, pattern));
    };
    QString text;
    try {
        text = co_await runOnWorker(*batch->pool, std::move(recognize));
    } catch (const CancellationError &) {
        co_return std::nullopt;
    } catch (...) {
        qCCritical(batch->logger).noquote()
            << QStringLiteral("OCR failed for area %1: %2").arg(job.areaID, describeError(std::current_exception()));
        co_return std::nullopt;
    }
    if (batch->token.isCancelled()) {
        co_return std::nullopt;
    }
    co_return text;
}

} // namespace veyra
