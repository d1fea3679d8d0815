// Encoding a captured frame as the report JPEG (quality 90, full size).
#include "capture/pipeline/JPEGTranslationReportScreenshotEncoder.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdlib>

using namespace veyra;

namespace {

// A frame with gradients, scenery and text, so that it compresses like a game picture
// rather than a flat fill.
QImage gameFrame(int width, int height)
{
    QImage frame(width, height, QImage::Format_RGB32);
    QPainter painter(&frame);
    QLinearGradient sky(0, 0, width, height);
    sky.setColorAt(0.0, QColor(120, 170, 220));
    sky.setColorAt(1.0, QColor(60, 120, 60));
    painter.fillRect(frame.rect(), sky);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 400; ++i) {
        const int x = (i * 7919) % width;
        const int y = (i * 104729) % height;
        painter.setBrush(QColor((i * 37) % 256, (i * 91) % 256, (i * 53) % 256));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QPoint(x, y), 20 + i % 60, 10 + i % 40);
    }
    painter.fillRect(QRect(width / 8, height * 3 / 4, width * 3 / 4, height / 6), QColor(20, 30, 80));
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPixelSize(height / 27);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(
        width / 8 + 40, height * 3 / 4 + height / 12, QStringLiteral("The bridge to the north has collapsed."));
    return frame;
}

void BM_EncodeReportJPEG2560x1440(benchmark::State &state)
{
    const QImage frame = gameFrame(2560, 1440);
    qsizetype bytes = 0;
    for (auto _ : state) {
        const TranslationReportScreenshot screenshot = JPEGTranslationReportScreenshotEncoder::encodeNow(frame);
        bytes = screenshot.data.size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["jpegKiB"] = static_cast<double>(bytes) / 1024.0;
}

} // namespace

BENCHMARK(BM_EncodeReportJPEG2560x1440)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
