#pragma once

#include "capture/areas/CaptureArea.h"

#include <QImage>

#include <optional>
#include <utility>

namespace veyra {

// Samples the dominant background colour of a small patch of an image (the eyedropper).
class DialogueBackgroundPatternAnalyzing
{
public:
    virtual ~DialogueBackgroundPatternAnalyzing() = default;

    // The dominant colour of the part of `region` (in the image's pixels, origin top
    // left) that lies inside the image, with the share of that part's pixels it covers
    // (0 to 1); nothing when that part is empty.
    virtual std::optional<std::pair<DialogueBackgroundPattern, double>> analyze(
        const QImage &image, const CaptureRegion &region) const = 0;
};

} // namespace veyra
