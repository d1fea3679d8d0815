#include "capture/FixtureCaptureFrameProcessor.h"

namespace veyra {

const std::array<QString, 2> &FixtureCaptureFrameProcessor::sampleTexts()
{
    static const std::array<QString, 2> texts = {
        QStringLiteral("The journey begins with a single decision."),
        QString::fromUtf8("運命が動き出す"),
    };
    return texts;
}

QCoro::Task<QVector<CaptureAreaText>> FixtureCaptureFrameProcessor::process(
    QImage, CaptureAreaProfile profile, CancellationToken, std::shared_ptr<CaptureFrameRecognitionCache>)
{
    QVector<CaptureAreaText> results;
    results.reserve(profile.areas.size());
    for (qsizetype index = 0; index < profile.areas.size(); ++index) {
        results.append(
            CaptureAreaText{profile.areas[index].id, sampleTexts()[static_cast<std::size_t>(index % 2)], std::nullopt});
    }
    co_return results;
}

} // namespace veyra
