#include "capture/pipeline/JPEGTranslationReportScreenshotEncoder.h"

#include "foundation/async/AsyncTask.h"

#include <QBuffer>
#include <QImageWriter>

namespace veyra {

TranslationReportScreenshot JPEGTranslationReportScreenshotEncoder::encodeNow(const QImage &image)
{
    using Kind = TranslationReportScreenshotEncodingError::Kind;
    QByteArray data;
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::WriteOnly)) {
        throw TranslationReportScreenshotEncodingError(Kind::destinationCreationFailed);
    }
    QImageWriter writer(&buffer, QByteArrayLiteral("jpg"));
    if (!writer.canWrite()) {
        throw TranslationReportScreenshotEncodingError(Kind::destinationCreationFailed);
    }
    writer.setQuality(90);
    if (!writer.write(image)) {
        throw TranslationReportScreenshotEncodingError(Kind::encodingFailed);
    }
    buffer.close();
    if (data.isEmpty()) {
        throw TranslationReportScreenshotEncodingError(Kind::emptyData);
    }
    return {data, QStringLiteral("image/jpeg"), QStringLiteral("capture.jpg")};
}

QCoro::Task<TranslationReportScreenshot> JPEGTranslationReportScreenshotEncoder::encode(QImage image)
{
    auto work = [image] { return encodeNow(image); };
    co_return co_await runOnWorker(cpuWorkPool(), std::move(work));
}

} // namespace veyra
