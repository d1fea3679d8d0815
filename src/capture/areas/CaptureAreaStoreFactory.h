#pragma once

#include "capture/areas/CaptureArea.h"
#include "capture/areas/CaptureAreaStoring.h"
#include "capture/target/CaptureTarget.h"

#include <QVector>

#include <memory>
#include <optional>

namespace veyra {

// The profile that fixture mode starts with when asked for several capture areas: two
// areas over the first window of the first fixture application, drawn on a 1280 x 720
// reference. Nothing when that window has no profile key.
std::optional<CaptureAreaProfile> fixtureMultipleCaptureAreasProfile(
    const QVector<CaptureApplicationGroup> &fixtureGroups);

// The capture-area store of the running application: in fixture mode an in-memory store
// (holding the fixture profile when `multipleCaptureAreas` is set), otherwise the file
// "capture-areas.json" in the application folder.
std::shared_ptr<CaptureAreaStoring> makeCaptureAreaStore(bool isUITesting, bool multipleCaptureAreas);

} // namespace veyra
