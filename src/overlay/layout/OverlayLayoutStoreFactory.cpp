#include "overlay/layout/OverlayLayoutStoreFactory.h"

#include "foundation/settings/UserDefaults.h"
#include "overlay/layout/InMemoryOverlayLayoutStore.h"
#include "overlay/layout/UserDefaultsOverlayLayoutStore.h"

namespace veyra {

std::shared_ptr<OverlayLayoutStoring> makeOverlayLayoutStore(bool isUITesting, bool usesEditorOverlayLayout)
{
    return makeOverlayLayoutStore(isUITesting, usesEditorOverlayLayout, UserDefaults::standard());
}

std::shared_ptr<OverlayLayoutStoring> makeOverlayLayoutStore(
    bool isUITesting, bool usesEditorOverlayLayout, UserDefaults &defaults)
{
    if (isUITesting) {
        std::optional<OverlayLayout> defaultLayout;
        if (usesEditorOverlayLayout) {
            defaultLayout = OverlayLayout{1.0, 0.5, 320, 220};
        }
        return std::make_shared<InMemoryOverlayLayoutStore>(defaultLayout);
    }
    return std::make_shared<UserDefaultsOverlayLayoutStore>(defaults);
}

} // namespace veyra
