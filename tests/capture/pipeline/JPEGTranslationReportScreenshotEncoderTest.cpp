// Test label: unit
#include "capture/pipeline/JPEGTranslationReportScreenshotEncoder.h"
#include "support/RunTask.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

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
// The quantisation tables of a baseline JPEG (8-bit entries), in file order.
std::vector<std::vector<int>> quantisationTables(const QByteArray &jpeg)
{
    std::vector<std::vector<int>> tables;
    qsizetype at = 2; // after SOI
    while (at + 4 <= jpeg.size() && static_cast<quint8>(jpeg[at]) == 0xFF) {
        const auto marker = static_cast<quint8>(jpeg[at + 1]);
        const int length = (static_cast<quint8>(jpeg[at + 2]) << 8) | static_cast<quint8>(jpeg[at + 3]);
        if (marker == 0xDA) { // start of scan: no more tables
            break;
        }
        if (marker == 0xDB) {
            for (qsizetype table = at + 4; table + 65 <= at + 2 + length; table += 65) {
                std::vector<int> entries;
                for (qsizetype i = 1; i <= 64; ++i) {
                    entries.push_back(static_cast<quint8>(jpeg[table + i]));
                }
                tables.push_back(entries);
            }
        }
        at += 2 + length;
    }
    return tables;
}

// The example tables of the JPEG standard (T.81, annex K) scaled as libjpeg scales them
// for a quality, as a sorted list (the file keeps them in zig-zag order).
std::vector<int> scaledStandardTable(const std::vector<int> &standard, int quality)
{
    const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
    std::vector<int> scaled;
    for (const int entry : standard) {
        scaled.push_back(std::clamp((entry * scale + 50) / 100, 1, 255));
    }
    std::sort(scaled.begin(), scaled.end());
    return scaled;
}

const std::vector<int> standardLuminance{16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55, 14, 13, 16, 24,
    40, 57, 69, 56, 14, 17, 22, 29, 51, 87, 80, 62, 18, 22, 37, 56, 68, 109, 103, 77, 24, 35, 55, 64, 81, 104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
const std::vector<int> standardChrominance{17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56,
    99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

} // namespace

TEST(JPEGTranslationReportScreenshotEncoder, EncodesAtQuality90)
{
    QImage frame(64, 64, QImage::Format_RGB32);
    frame.fill(QColor(20, 30, 80));
    std::vector<std::vector<int>> tables
        = quantisationTables(JPEGTranslationReportScreenshotEncoder::encodeNow(frame).data);
    ASSERT_EQ(tables.size(), 2u);
    for (std::vector<int> &table : tables) {
        std::sort(table.begin(), table.end());
    }
    EXPECT_EQ(tables[0], scaledStandardTable(standardLuminance, 90));
    EXPECT_EQ(tables[1], scaledStandardTable(standardChrominance, 90));
}

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
