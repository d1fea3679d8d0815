#include "settings/window/SettingsReset.h"

#include "foundation/language/ClientLanguageSettingsModel.h"
#include "overlay/settings/OverlaySettingsModel.h"
#include "translation/translations/TranslationSettingsModel.h"

namespace veyra {

void resetAllSettings(ClientLanguageSettingsModel &clientLanguageModel, TranslationSettingsModel &translationModel,
    OverlaySettingsModel &overlayModel)
{
    clientLanguageModel.resetToDefault();
    translationModel.resetToDefault();
    overlayModel.resetToDefaults();
}

} // namespace veyra
