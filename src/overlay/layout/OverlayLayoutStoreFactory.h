#pragma once

#include "overlay/layout/OverlayLayoutStoring.h"

#include <memory>

namespace veyra {

class UserDefaults;

// The layout store of the running application. In fixture mode an empty in-memory store
// whose default layout, with `usesEditorOverlayLayout`, puts a 320 x 220 overlay at the
// right edge of the screen, vertically centred; otherwise the user defaults.
std::shared_ptr<OverlayLayoutStoring> makeOverlayLayoutStore(bool isUITesting, bool usesEditorOverlayLayout);
std::shared_ptr<OverlayLayoutStoring> makeOverlayLayoutStore(
    bool isUITesting, bool usesEditorOverlayLayout, UserDefaults &defaults);

} // namespace veyra
