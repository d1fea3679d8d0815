#include "app/launch/UITestingLaunchOptions.h"

namespace veyra {

UITestingLaunchOptions parseUITestingArguments(const QStringList &arguments)
{
    const auto has
        = [&arguments](const char *flag) { return arguments.contains(QLatin1String(flag), Qt::CaseSensitive); };

    UITestingLaunchOptions options;
    options.isFixtureMode = has("--ui-testing") || has("--ui-testing-window-fixture");
    options.screenPermissionAuthorized = has("--ui-testing-screen-permission-authorized");
    options.screenPermissionDenied = has("--ui-testing-screen-permission-denied");
    options.captureAreaGuideUnseen = has("--ui-testing-capture-area-guide-unseen");
    if (options.isFixtureMode) {
        options.editorOverlayLayout = has("--ui-testing-editor-overlay-layout");
        options.multipleCaptureAreas = has("--ui-testing-multiple-capture-areas");
    }
    options.updateAvailable = has("--ui-testing-update-available");
    if (has("--ui-testing-minimum-version-checking")) {
        options.minimumVersionMode = MinimumVersionFixtureMode::checking;
    } else if (has("--ui-testing-minimum-version-check-failed")) {
        options.minimumVersionMode = MinimumVersionFixtureMode::checkFailed;
    } else if (has("--ui-testing-minimum-version-install-failed")) {
        options.minimumVersionMode = MinimumVersionFixtureMode::installFailed;
    } else if (has("--ui-testing-minimum-version-required")) {
        options.minimumVersionMode = MinimumVersionFixtureMode::required;
    }
    options.webRegistrationRequired = has("--ui-testing-web-registration-required");
    return options;
}

} // namespace veyra
