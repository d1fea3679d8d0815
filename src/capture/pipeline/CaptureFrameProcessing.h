#pragma once

#include "capture/areas/CaptureArea.h"
#include "capture/pipeline/CaptureAreaText.h"
#include "capture/pipeline/CaptureFrameRecognitionCache.h"
#include "foundation/async/CancellationToken.h"

#include <QImage>
#include <QVector>

#include <qcoro/qcorotask.h>

#include <memory>

namespace veyra {

// Turns one captured frame and the window's capture areas into the recognised text of
// each area. Called on the GUI thread; never throws.
class CaptureFrameProcessing
{
public:
    virtual ~CaptureFrameProcessing() = default;

    // At most one entry per area, in the profile's area order, each with non-empty
    // normalised text and no screenshot. A cancelled token gives an empty list.
    // `cache` (optional) carries what the previous call of the same capture run read:
    // a dialogue box identical to the pixel is not read again, and the cache is updated
    // with this call's boxes unless the call is cancelled.
    virtual QCoro::Task<QVector<CaptureAreaText>> process(QImage frame, CaptureAreaProfile profile,
        CancellationToken token, std::shared_ptr<CaptureFrameRecognitionCache> cache)
        = 0;
};

} // namespace veyra
