#pragma once

#include "capture/areas/CaptureArea.h"

#include <QImage>
#include <QRectF>

#include <optional>

namespace veyra {

// Finds the dialogue box inside a search-region image by its background colour.
// Pure and thread-safe: called on worker threads.
class DialogueRegionDetecting
{
public:
    virtual ~DialogueRegionDetecting() = default;

    // The box in the image's pixels (origin top left, whole numbers, inside the image),
    // or nothing when no box qualifies.
    virtual std::optional<QRectF> detect(const QImage &image, const DialogueBackgroundPattern &pattern) const = 0;
};

} // namespace veyra
