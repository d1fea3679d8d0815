#include "capture/pipeline/CaptureFrameRecognitionCache.h"

#include "capture/pipeline/FrameCrops.h"

namespace veyra {

std::optional<CaptureFrameRecognitionCache::Entry> CaptureFrameRecognitionCache::remembered(
    const Entries &entries, qsizetype areaIndex, const QString &areaID, const QImage &boxImage)
{
    if (areaIndex < 0 || areaIndex >= entries.size() || !entries[areaIndex]) {
        return std::nullopt;
    }
    const Entry &entry = *entries[areaIndex];
    if (entry.areaID != areaID || !samePixels(entry.boxImage, boxImage)) {
        return std::nullopt;
    }
    return entry;
}

} // namespace veyra
