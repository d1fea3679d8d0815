#pragma once

#include "capture/windows/WindowSnapshotCapturing.h"

namespace veyra {

// A synthetic 960 x 720 picture for UI testing, the same for every target (also one
// whose window does not exist): the window background colour, an indigo panel at
// (80, 90) of 800 x 540 and a white grid over it.
class FixtureWindowSnapshotter : public WindowSnapshotCapturing
{
public:
    QCoro::Task<CapturedWindowSnapshot> capture(CaptureTarget target) override;

    // The picture itself, drawn anew; a null image when it cannot be allocated.
    static QImage fixtureImage();
};

} // namespace veyra
