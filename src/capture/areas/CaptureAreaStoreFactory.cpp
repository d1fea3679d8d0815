#include "capture/areas/CaptureAreaStoreFactory.h"

#include "capture/areas/FileCaptureAreaStore.h"
#include "capture/areas/InMemoryCaptureAreaStore.h"
#include "capture/fixtures/FixtureWindowCatalog.h"

namespace veyra {

std::optional<CaptureAreaProfile> fixtureMultipleCaptureAreasProfile(
    const QVector<CaptureApplicationGroup> &fixtureGroups)
{
    if (fixtureGroups.isEmpty() || fixtureGroups.first().windows.isEmpty()) {
        return std::nullopt;
    }
    const std::optional<GameWindowProfileKey> key = fixtureGroups.first().windows.first().profileKey();
    if (!key) {
        return std::nullopt;
    }
    const DialogueBackgroundPattern pattern{48, 80, 16};
    return CaptureAreaProfile{key->applicationIdentity, key->windowTitle, 1280, 720,
        {CaptureArea{QStringLiteral("box_1"), CaptureRegion{100, 100, 400, 140}, pattern},
            CaptureArea{QStringLiteral("box_2"), CaptureRegion{100, 300, 400, 140}, pattern}}};
}

std::shared_ptr<CaptureAreaStoring> makeCaptureAreaStore(bool isUITesting, bool multipleCaptureAreas)
{
    if (!isUITesting) {
        return std::make_shared<FileCaptureAreaStore>(FileCaptureAreaStore::defaultFileURL());
    }
    QVector<CaptureAreaProfile> profiles;
    if (multipleCaptureAreas) {
        if (auto profile = fixtureMultipleCaptureAreasProfile(FixtureWindowCatalog::fixtureApplicationGroups())) {
            profiles.append(std::move(*profile));
        }
    }
    return std::make_shared<InMemoryCaptureAreaStore>(profiles);
}

} // namespace veyra
