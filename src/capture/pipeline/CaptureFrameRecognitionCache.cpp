#include "capture/pipeline/CaptureFrameRecognitionCache.h"

namespace veyra {

std::optional<QString> CaptureFrameRecognitionCache::rememberedText(
    const Entries &entries, qsizetype areaIndex, const QString &areaID, const QImage &boxImage)
{
    if (areaIndex < 0 || areaIndex >= entries.size() || !entries[areaIndex]) {
        return std::nullopt;
    }
    const Entry &entry = *entries[areaIndex];
    // QImage equality compares size, format and every pixel (the unused byte of RGB32
    // pixels excluded), stopping at the first difference.
    if (entry.areaID != areaID || entry.boxImage != boxImage) {
        return std::nullopt;
    }
    return entry.text;
}

} // namespace veyra
