#pragma once

#include "capture/recognition/DialogueRegionDetecting.h"

namespace veyra {

// Finds the dialogue box as the largest connected patch of the background colour that is
// big enough, mostly of that colour and carries enough strongly contrasting pixels (the
// text). The search image is first reduced to a working copy at most 320 pixels wide, so
// one call costs the same whatever the capture resolution. Keeps no state.
class DialogueSearchRegionDetector : public DialogueRegionDetecting
{
public:
    static constexpr int maximumWorkingWidth = 320;

    std::optional<QRectF> detect(const QImage &image, const DialogueBackgroundPattern &pattern) const override;

    // The size of the working image for an image of this size.
    static QSize workingSize(QSize imageSize);
};

} // namespace veyra
