#include "settings/overlay/OverlaySettingsSection.h"

#include "settings/overlay/OverlaySettingControl.h"
#include "settings/style/SettingsFormSection.h"

#include <QFrame>
#include <QVBoxLayout>

namespace veyra {

OverlaySettingsSection::OverlaySettingsSection(OverlaySettingsModel *model, QWidget *parent)
    : QWidget(parent)
{
    auto *section = new SettingsFormSection(this);
    QVBoxLayout *content = section->contentLayout();
    content->setSpacing(12);
    for (std::size_t index = 0; index < allOverlaySettings.size(); ++index) {
        if (index > 0) {
            auto *divider = new QFrame(section);
            divider->setFrameShape(QFrame::HLine);
            divider->setFrameShadow(QFrame::Plain);
            divider->setForegroundRole(QPalette::Mid);
            content->addWidget(divider);
        }
        m_controls.at(index) = new OverlaySettingControl(allOverlaySettings.at(index), model, section);
        content->addWidget(m_controls.at(index));
    }

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(section);
    layout->addStretch(1);
}

void OverlaySettingsSection::retranslate()
{
    for (OverlaySettingControl *control : m_controls) {
        control->retranslate();
    }
}

} // namespace veyra
