// What one capture pass costs per capture area: finding the dialogue box in the search
// crop of a frame, and reading the box's text; plus the one-time load of a thread's
// recognition engine.
#include "capture/recognition/DialogueSearchRegionDetector.h"
#include "capture/recognition/TesseractTextRecognizer.h"
#include "support/RenderedDialogue.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <thread>

using namespace veyra;

namespace {

const DialogueBackgroundPattern boxPattern{20, 30, 80};

// A game frame of the given size with a dialogue box in its lower part, and the search
// region the player drew around it (a generous band across the bottom).
struct Scene
{
    QImage frame;
    QRect searchRegion;
};

Scene gameScene(int width, int height)
{
    const double unit = width / 1920.0;
    QImage frame(width, height, QImage::Format_RGB32);
    QPainter painter(&frame);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0.0, QColor(120, 170, 220));
    sky.setColorAt(1.0, QColor(60, 120, 60));
    painter.fillRect(frame.rect(), sky);
    // Some scenery, so the search region is not a flat backdrop.
    for (int i = 0; i < 60; ++i) {
        const int x = (i * 7919) % width;
        const int y = height / 2 + (i * 104729) % (height / 2);
        painter.fillRect(
            QRect(x, y, int(40 * unit), int(90 * unit)), QColor((i * 37) % 256, (i * 91) % 256, (i * 53) % 256));
    }
    const QRect box(int(260 * unit), int(780 * unit), int(1400 * unit), int(240 * unit));
    painter.fillRect(box, QColor(20, 30, 80));
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPixelSize(int(40 * unit));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(box.adjusted(int(40 * unit), int(30 * unit), 0, 0), Qt::AlignLeft | Qt::AlignTop,
        QStringLiteral("The bridge to the north has collapsed.\nWe must find another way across."));
    painter.end();
    return {frame, QRect(int(160 * unit), int(700 * unit), int(1600 * unit), int(360 * unit))};
}

void detectIn(benchmark::State &state, int width, int height, const DialogueBackgroundPattern &pattern = boxPattern)
{
    const Scene scene = gameScene(width, height);
    const QImage crop = scene.frame.copy(scene.searchRegion);
    const DialogueSearchRegionDetector detector;
    for (auto _ : state) {
        benchmark::DoNotOptimize(detector.detect(crop, pattern));
    }
    const auto box = detector.detect(crop, pattern);
    state.counters["boxWidth"] = box ? box->width() : 0;
    state.counters["boxHeight"] = box ? box->height() : 0;
}

void BM_DetectorSearchCrop1920x1080(benchmark::State &state)
{
    detectIn(state, 1920, 1080);
}

void BM_DetectorSearchCrop3840x2160(benchmark::State &state)
{
    detectIn(state, 3840, 2160);
}

// Most seconds of play: no dialogue box of the area's colour is shown.
void BM_DetectorSearchCropWithoutBox1920x1080(benchmark::State &state)
{
    detectIn(state, 1920, 1080, DialogueBackgroundPattern{230, 40, 200});
}

// Crop + detect + crop, as the frame processor does before recognition.
void BM_CropAndDetect1920x1080(benchmark::State &state)
{
    const Scene scene = gameScene(1920, 1080);
    const DialogueSearchRegionDetector detector;
    for (auto _ : state) {
        const QImage crop = scene.frame.copy(scene.searchRegion);
        const auto box = detector.detect(crop, boxPattern);
        benchmark::DoNotOptimize(crop.copy(box->toRect()));
    }
}

void recognize(benchmark::State &state, const QImage &image)
{
    const TesseractTextRecognizer recognizer;
    recognizer.prepareEngine();
    QString text;
    for (auto _ : state) {
        text = recognizer.recognizeText(image);
        benchmark::DoNotOptimize(text);
    }
    state.SetLabel(text.toStdString());
}

// The box the detector finds in the 1920 x 1080 scene: the image that the recogniser
// gets in the same capture pass.
void BM_RecognizerDetectedBox1920x1080(benchmark::State &state)
{
    const Scene scene = gameScene(1920, 1080);
    const QImage crop = scene.frame.copy(scene.searchRegion);
    const auto box = DialogueSearchRegionDetector().detect(crop, boxPattern);
    recognize(state, crop.copy(box->toRect()));
}

void BM_RecognizerEnglishBox(benchmark::State &state)
{
    recognize(state,
        test::renderDialogue({QStringLiteral("The bridge to the north has collapsed."),
            QStringLiteral("We must find another way across.")}));
}

void BM_RecognizerJapaneseBox(benchmark::State &state)
{
    recognize(state,
        test::renderDialogue(
            {QStringLiteral("今日はとても良い天気ですね。"), QStringLiteral("別の道を探さなければならない。")}));
}

void BM_RecognizerKoreanBox(benchmark::State &state)
{
    test::DialogueStyle style;
    style.fontFamily = QStringLiteral("Noto Sans CJK KR");
    recognize(state,
        test::renderDialogue(
            {QStringLiteral("북쪽 다리가 무너졌습니다."), QStringLiteral("다른 길을 찾아야 합니다.")}, style));
}

// A new worker thread loading its engine with the three languages.
void BM_RecognizerEngineInitialisation(benchmark::State &state)
{
    const TesseractTextRecognizer recognizer;
    for (auto _ : state) {
        std::chrono::duration<double> elapsed{};
        std::thread worker([&recognizer, &elapsed] {
            const auto start = std::chrono::steady_clock::now();
            recognizer.prepareEngine();
            elapsed = std::chrono::steady_clock::now() - start;
        });
        worker.join();
        state.SetIterationTime(elapsed.count());
    }
}

} // namespace

BENCHMARK(BM_DetectorSearchCrop1920x1080)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DetectorSearchCrop3840x2160)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DetectorSearchCropWithoutBox1920x1080)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CropAndDetect1920x1080)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecognizerDetectedBox1920x1080)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecognizerEnglishBox)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecognizerJapaneseBox)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecognizerKoreanBox)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecognizerEngineInitialisation)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    ::setenv("OMP_THREAD_LIMIT", "1", 1);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
