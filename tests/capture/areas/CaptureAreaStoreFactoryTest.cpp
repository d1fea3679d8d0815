// Test label: unit
#include "capture/areas/CaptureAreaStoreFactory.h"
#include "capture/areas/FileCaptureAreaStore.h"
#include "capture/areas/InMemoryCaptureAreaStore.h"
#include "capture/fixtures/FixtureWindowCatalog.h"

#include <gtest/gtest.h>

using namespace veyra;

TEST(CaptureAreaStoreFactory, FixtureModeHoldsTheTwoAreaProfileOnlyWhenAskedFor)
{
    const CaptureTarget firstWindow = FixtureWindowCatalog::fixtureApplicationGroups().first().windows.first();
    const GameWindowProfileKey key = *firstWindow.profileKey();

    const auto withAreas = makeCaptureAreaStore(true, true);
    ASSERT_NE(std::dynamic_pointer_cast<InMemoryCaptureAreaStore>(withAreas), nullptr);
    const std::optional<CaptureAreaProfile> profile = withAreas->profile(key);
    ASSERT_TRUE(profile);
    EXPECT_EQ(profile->referenceImageWidth, 1280);
    EXPECT_EQ(profile->referenceImageHeight, 720);
    ASSERT_EQ(profile->areas.size(), 2);
    EXPECT_EQ(profile->areas[0], (CaptureArea{QStringLiteral("box_1"), {100, 100, 400, 140}, {48, 80, 16}}));
    EXPECT_EQ(profile->areas[1], (CaptureArea{QStringLiteral("box_2"), {100, 300, 400, 140}, {48, 80, 16}}));

    EXPECT_FALSE(makeCaptureAreaStore(true, false)->profile(key));
    EXPECT_NE(std::dynamic_pointer_cast<FileCaptureAreaStore>(makeCaptureAreaStore(false, true)), nullptr);

    // A first window without a key, or no window at all, leaves the store empty.
    CaptureApplicationGroup keyless = FixtureWindowCatalog::fixtureApplicationGroups().first();
    for (CaptureTarget &window : keyless.windows) {
        window.bundleIdentifier.reset();
        window.executableURL.reset();
    }
    EXPECT_FALSE(fixtureMultipleCaptureAreasProfile({keyless}));
    EXPECT_FALSE(fixtureMultipleCaptureAreasProfile({}));
    keyless.windows.clear();
    EXPECT_FALSE(fixtureMultipleCaptureAreasProfile({keyless}));
}
