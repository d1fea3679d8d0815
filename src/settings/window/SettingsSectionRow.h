#pragma once

#include "settings/window/VeyraSettingsSection.h"

#include <QAbstractButton>

namespace veyra {

// One row of the settings sidebar: the section's symbol and title. A checked row is the
// selected one and is drawn on the orange tint.
class SettingsSectionRow : public QAbstractButton
{
    Q_OBJECT

public:
    static constexpr int symbolSize = 16;
    static constexpr int rowHeight = 30;

    explicit SettingsSectionRow(VeyraSettingsSection section, QWidget *parent = nullptr);

    VeyraSettingsSection section() const { return m_section; }

    // Looks the title up again in the current interface language.
    void retranslate();

    QSize sizeHint() const override;

Q_SIGNALS:
    // The arrow keys ask for the row above (-1) or below (+1).
    void stepRequested(int step);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    VeyraSettingsSection m_section;
};

} // namespace veyra
