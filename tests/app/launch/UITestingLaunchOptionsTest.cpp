// Test label: unit
#include "app/launch/UITestingLaunchOptions.h"

#include <gtest/gtest.h>

using namespace veyra;

namespace {
UITestingLaunchOptions parse(std::initializer_list<const char *> switches)
{
    QStringList arguments{QStringLiteral("/usr/bin/veyra")};
    for (const char *item : switches) {
        arguments << QString::fromUtf8(item);
    }
    return parseUITestingArguments(arguments);
}
} // namespace

TEST(UITestingLaunchOptions, SwitchesMatchWholeArgumentsExactly)
{
    EXPECT_EQ(parse({}), UITestingLaunchOptions{});
    EXPECT_EQ(parse({"--verbose", "file.txt"}), UITestingLaunchOptions{});

    EXPECT_TRUE(parse({"--ui-testing"}).isFixtureMode);
    EXPECT_EQ(parse({"--ui-testing-window-fixture"}), parse({"--ui-testing"}));
    for (const char *almost :
        {"--ui-testing=1", "--UI-TESTING", "--ui-testing ", "-ui-testing", "--ui-testing-window"}) {
        EXPECT_FALSE(parse({almost}).isFixtureMode) << almost;
    }

    const auto all = parse({"--ui-testing-web-registration-required", "--ui-testing", "--ui-testing-update-available",
        "--ui-testing-capture-area-guide-unseen", "--ui-testing-screen-permission-authorized", "--ui-testing",
        "--ui-testing-multiple-capture-areas", "--ui-testing-editor-overlay-layout"});
    EXPECT_TRUE(all.isFixtureMode);
    EXPECT_TRUE(all.screenPermissionAuthorized);
    EXPECT_FALSE(all.screenPermissionDenied);
    EXPECT_TRUE(all.captureAreaGuideUnseen);
    EXPECT_TRUE(all.editorOverlayLayout);
    EXPECT_TRUE(all.multipleCaptureAreas);
    EXPECT_TRUE(all.updateAvailable);
    EXPECT_TRUE(all.webRegistrationRequired);
}

TEST(UITestingLaunchOptions, FixtureOnlySwitchesAndPrecedence)
{
    // Layout and capture-area switches are read only in fixture mode.
    const auto live = parse({"--ui-testing-multiple-capture-areas", "--ui-testing-editor-overlay-layout",
        "--ui-testing-screen-permission-authorized"});
    EXPECT_FALSE(live.isFixtureMode);
    EXPECT_FALSE(live.multipleCaptureAreas);
    EXPECT_FALSE(live.editorOverlayLayout);
    EXPECT_TRUE(live.screenPermissionAuthorized);

    const auto both = parse({"--ui-testing-screen-permission-denied", "--ui-testing-screen-permission-authorized"});
    EXPECT_TRUE(both.screenPermissionDenied);
    EXPECT_TRUE(both.screenPermissionAuthorized);

    using Mode = MinimumVersionFixtureMode;
    EXPECT_EQ(parse({"--ui-testing-minimum-version-required", "--ui-testing-minimum-version-install-failed",
                        "--ui-testing-minimum-version-check-failed", "--ui-testing-minimum-version-checking"})
                  .minimumVersionMode,
        Mode::checking);
    EXPECT_EQ(parse({"--ui-testing-minimum-version-required", "--ui-testing-minimum-version-install-failed",
                        "--ui-testing-minimum-version-check-failed"})
                  .minimumVersionMode,
        Mode::checkFailed);
    EXPECT_EQ(parse({"--ui-testing-minimum-version-required", "--ui-testing-minimum-version-install-failed"})
                  .minimumVersionMode,
        Mode::installFailed);
    EXPECT_EQ(parse({"--ui-testing-minimum-version-required"}).minimumVersionMode, Mode::required);
    EXPECT_EQ(parse({"--ui-testing-minimum-version-Required"}).minimumVersionMode, Mode::allowed);
}
