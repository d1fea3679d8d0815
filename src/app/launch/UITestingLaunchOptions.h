#pragma once

#include "update/factory/MinimumVersionFixtureMode.h"

#include <QStringList>

namespace veyra {

// The launch switches of the self-contained fixture mode, read once at start-up.
struct UITestingLaunchOptions
{
    bool isFixtureMode = false;
    bool screenPermissionAuthorized = false;
    bool screenPermissionDenied = false;
    bool captureAreaGuideUnseen = false;
    bool editorOverlayLayout = false;
    bool multipleCaptureAreas = false;
    bool updateAvailable = false;
    MinimumVersionFixtureMode minimumVersionMode = MinimumVersionFixtureMode::allowed;
    bool webRegistrationRequired = false;

    bool operator==(const UITestingLaunchOptions &) const = default;
};

// Reads the switches from the process's full argument list (program path first).
// A switch counts only as an exact, case-sensitive match of a whole argument.
UITestingLaunchOptions parseUITestingArguments(const QStringList &arguments);

} // namespace veyra
