// Test label: unit
#include "capture/pipeline/JPEGTranslationReportScreenshotEncoder.h"
#include "support/RunTask.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QThread>

#include <gtest/gtest.h>

using namespace veyra;
using veyra::test::runTask;

namespace {
QImage decoded(const QByteArray &data, QByteArray *format = nullptr)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (format != nullptr) {
        *format = reader.format();
    }
    return reader.read();
}
} // namespace

TEST(JPEGTranslationReportScreenshotEncoder, EncodesFramesAtFullSizeOffTheCallingThread)
{
    JPEGTranslationReportScreenshotEncoder encoder;

    QImage pixel(1, 1, QImage::Format_RGB32);
    pixel.fill(QColor(200, 30, 100));
    const TranslationReportScreenshot small = runTask(encoder.encode(pixel));
    EXPECT_FALSE(small.data.isEmpty());
    EXPECT_EQ(small.mediaType, QStringLiteral("image/jpeg"));
    EXPECT_EQ(small.fileName, QStringLiteral("capture.jpg"));
    QByteArray format;
    EXPECT_EQ(decoded(small.data, &format).size(), QSize(1, 1));
    EXPECT_EQ(format, QByteArray("jpeg"));

    QImage frame(2560, 1440, QImage::Format_RGB32);
    frame.fill(QColor(20, 30, 80));
    {
        QPainter painter(&frame);
        painter.fillRect(QRect(100, 1000, 2360, 300), QColor(240, 240, 240));
    }
    const TranslationReportScreenshot large = runTask(encoder.encode(frame));
    const QImage back = decoded(large.data);
    EXPECT_EQ(back.size(), QSize(2560, 1440));
    // Quality 90 keeps flat colours close.
    const QColor panel = back.pixelColor(1280, 1150);
    EXPECT_NEAR(panel.red(), 240, 4);
    const QColor backdrop = back.pixelColor(50, 50);
    EXPECT_NEAR(backdrop.blue(), 80, 4);

    // The same bytes as a direct encoding, which a second encoding also gives.
    EXPECT_EQ(JPEGTranslationReportScreenshotEncoder::encodeNow(frame), large);
    EXPECT_EQ(runTask(encoder.encode(frame)), large);
}

TEST(JPEGTranslationReportScreenshotEncoder, AnImageThatCannotBeEncodedIsAnError)
{
    JPEGTranslationReportScreenshotEncoder encoder;
    try {
        runTask(encoder.encode(QImage()));
        ADD_FAILURE() << "a null image was encoded";
    } catch (const TranslationReportScreenshotEncodingError &error) {
        EXPECT_EQ(error.kind(), TranslationReportScreenshotEncodingError::Kind::encodingFailed);
    }
    // Frames with transparency are encoded too (as opaque colours).
    QImage translucent(8, 8, QImage::Format_ARGB32);
    translucent.fill(QColor(255, 0, 0, 128));
    EXPECT_EQ(decoded(runTask(encoder.encode(translucent)).data).size(), QSize(8, 8));
}
