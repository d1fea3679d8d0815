#pragma once

#include "capture/recognition/DialogueBackgroundPatternAnalyzing.h"

namespace veyra {

// Counts the region's pixels into 512 colour bins (the top three bits of each channel)
// and reports the centre colour of the fullest bin; ties go to the lowest bin.
class DefaultDialogueBackgroundPatternAnalyzer : public DialogueBackgroundPatternAnalyzing
{
public:
    std::optional<std::pair<DialogueBackgroundPattern, double>> analyze(
        const QImage &image, const CaptureRegion &region) const override;
};

} // namespace veyra
