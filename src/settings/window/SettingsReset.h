#pragma once

namespace veyra {

class ClientLanguageSettingsModel;
class OverlaySettingsModel;
class TranslationSettingsModel;

// Returns every setting of the settings window to its default, in this order: the
// interface language (the stored code removed, the default language made current and
// announced), the target language (likewise), the overlay's opacity and text sizes. Each
// default is announced even when it was already the value, so every view redraws.
void resetAllSettings(ClientLanguageSettingsModel &clientLanguageModel, TranslationSettingsModel &translationModel,
    OverlaySettingsModel &overlayModel);

} // namespace veyra
