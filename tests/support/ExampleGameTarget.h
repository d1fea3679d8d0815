#pragma once

#include "capture/target/CaptureTarget.h"

namespace veyra::test {

// A game window that exists only on paper: keyed by its bundle identifier and title.
inline CaptureTarget exampleGameTarget()
{
    CaptureTarget target;
    target.windowID = 42;
    target.processID = 4242;
    target.bundleIdentifier = QStringLiteral("com.example.game");
    target.applicationName = QStringLiteral("Example Game");
    target.windowTitle = QStringLiteral("Main");
    target.frame = QRectF(0, 0, 2000, 1000);
    return target;
}

} // namespace veyra::test
