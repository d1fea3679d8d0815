#pragma once

#include <QWidget>

#include <array>

namespace veyra {

class OverlaySettingControl;
class OverlaySettingsModel;

// The Overlay section of the settings window: the background opacity, the source (OCR)
// text size and the translation text size, each with its slider, divided by lines. The
// overlay follows the same model, so a change shows there at once.
class OverlaySettingsSection : public QWidget
{
    Q_OBJECT

public:
    explicit OverlaySettingsSection(OverlaySettingsModel *model, QWidget *parent = nullptr);

    // Looks every text up again in the current interface language.
    void retranslate();

private:
    std::array<OverlaySettingControl *, 3> m_controls{};
};

} // namespace veyra
