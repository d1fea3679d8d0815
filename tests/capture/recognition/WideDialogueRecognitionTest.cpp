// Test label: unit
// A generously drawn search region around a wide dialogue box: the detected box, padded
// as the detector pads it, takes in a strip of the scene on both sides, whose sharp edge
// against the box must not come back as characters of the dialogue.
#include "capture/pipeline/DefaultCaptureFrameProcessor.h"
#include "capture/recognition/DialogueSearchRegionDetector.h"
#include "capture/recognition/TesseractTextRecognizer.h"
#include "support/RenderedDialogue.h"
#include "support/RunTask.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace veyra;

namespace {

const QRect boxRect(96, 756, 1728, 270);
const QColor boxColor(0x1e, 0x2a, 0x44);

// A 1920 x 1080 frame: a landscape with its own colour at every pixel, and the dialogue
// box with two lines of 40 px text.
QImage renderFrame(const QString &firstLine, const QString &secondLine)
{
    QImage frame(1920, 1080, QImage::Format_RGB32);
    for (int y = 0; y < frame.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(frame.scanLine(y));
        for (int x = 0; x < frame.width(); ++x) {
            line[x] = qRgb(70 + (x * 90) / frame.width(), 110 + (y * 100) / frame.height(), 200 - (x + y) % 29);
        }
    }
    QPainter painter(&frame);
    painter.fillRect(boxRect, boxColor);
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPixelSize(40);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QPoint(boxRect.x() + 20, boxRect.y() + 95), firstLine);
    painter.drawText(QPoint(boxRect.x() + 20, boxRect.y() + 205), secondLine);
    return frame;
}

} // namespace

TEST(WideDialogueRecognition, TheBoxEdgeIsNotReadAsText)
{
    if (!veyra::test::hasFontFamily(QStringLiteral("Noto Sans CJK JP"))) {
        GTEST_FAIL() << "fonts-noto-cjk is not installed";
    }
    const QString first = QStringLiteral("The bridge to the north has collapsed after the storm, so the caravan");
    const QString second = QStringLiteral("must wait in the valley until the river calms down again.");
    const QImage frame = renderFrame(first, second);
    const DialogueBackgroundPattern pattern{boxColor.red(), boxColor.green(), boxColor.blue()};
    const CaptureAreaProfile profile{{GameApplicationIdentity::Kind::bundleIdentifier, QStringLiteral("game")},
        QStringLiteral("Game"), 1920, 1080,
        {CaptureArea{QStringLiteral("first-line"), CaptureRegion{60, 700, 1800, 191}, pattern},
            CaptureArea{QStringLiteral("second-line"), CaptureRegion{60, 891, 1800, 179}, pattern}}};

    DefaultCaptureFrameProcessor processor(
        std::make_shared<TesseractTextRecognizer>(), std::make_shared<DialogueSearchRegionDetector>());
    const QVector<CaptureAreaText> texts
        = veyra::test::runTask(processor.process(frame, profile, CancellationToken(), nullptr));
    ASSERT_EQ(texts.size(), 2);
    EXPECT_EQ(texts[0].text, first);
    EXPECT_EQ(texts[1].text, second);
}
