#pragma once

#include "editor/guide/CaptureAreaGuideStoring.h"

#include <memory>

namespace veyra {

class UserDefaults;

// The guide store of the running application: in fixture mode an in-memory store that
// has seen the current guide, unless `guideUnseen` asks for a first-time user; otherwise
// the user defaults (the switch is not consulted).
std::shared_ptr<CaptureAreaGuideStoring> makeCaptureAreaGuideStore(
    bool isFixtureMode, bool guideUnseen, UserDefaults &defaults);

} // namespace veyra
