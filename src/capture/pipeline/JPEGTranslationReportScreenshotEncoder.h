#pragma once

#include "capture/pipeline/TranslationReportScreenshot.h"
#include "capture/pipeline/TranslationReportScreenshotEncodingError.h"

namespace veyra {

// Encodes a whole frame as a JPEG of quality 90 at full resolution, on the CPU worker
// pool so that the GUI thread stays free.
class JPEGTranslationReportScreenshotEncoder : public TranslationReportScreenshotEncoding
{
public:
    QCoro::Task<TranslationReportScreenshot> encode(QImage image) override;

    // The encoding itself, on the calling thread; throws
    // TranslationReportScreenshotEncodingError.
    static TranslationReportScreenshot encodeNow(const QImage &image);
};

} // namespace veyra
