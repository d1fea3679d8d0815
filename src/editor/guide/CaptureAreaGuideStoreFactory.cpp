#include "editor/guide/CaptureAreaGuideStoreFactory.h"

#include "editor/guide/InMemoryCaptureAreaGuideStore.h"
#include "editor/guide/UserDefaultsCaptureAreaGuideStore.h"

namespace veyra {

std::shared_ptr<CaptureAreaGuideStoring> makeCaptureAreaGuideStore(
    bool isFixtureMode, bool guideUnseen, UserDefaults &defaults)
{
    if (isFixtureMode) {
        return std::make_shared<InMemoryCaptureAreaGuideStore>(
            guideUnseen ? std::nullopt : std::optional<qint64>(currentGuideVersion));
    }
    return std::make_shared<UserDefaultsCaptureAreaGuideStore>(defaults);
}

} // namespace veyra
