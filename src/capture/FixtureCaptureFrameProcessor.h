#pragma once

#include "capture/pipeline/CaptureFrameProcessing.h"

#include <array>

namespace veyra {

// Fixed sample lines for UI testing: area i reads sampleTexts[i mod 2], whatever the frame
// shows. Consults neither the token nor the cache.
class FixtureCaptureFrameProcessor : public CaptureFrameProcessing
{
public:
    static const std::array<QString, 2> &sampleTexts();

    QCoro::Task<QVector<CaptureAreaText>> process(QImage frame, CaptureAreaProfile profile, CancellationToken token,
        std::shared_ptr<CaptureFrameRecognitionCache> cache) override;
};

} // namespace veyra
