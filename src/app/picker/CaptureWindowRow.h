#pragma once

#include "capture/target/CaptureTarget.h"

#include "app/picker/PickerRowButton.h"

namespace veyra {

// One window of an application in the window picker: the selection mark, the window's
// title on one line ("(Untitled)" for an empty title) and its size below. The whole row
// is clickable.
class CaptureWindowRow : public PickerRowButton
{
    Q_OBJECT

public:
    CaptureWindowRow(CaptureTarget window, QWidget *parent = nullptr);

    const CaptureTarget &window() const { return m_window; }
    bool isMarkedSelected() const { return m_selected; }
    void setMarkedSelected(bool selected);

    // The title as shown: the window's title, or the localised "(Untitled)".
    QString displayTitle() const;
    // Looks the fixed texts up again (after a change of the interface language).
    void retranslate();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    CaptureTarget m_window;
    bool m_selected = false;
};

} // namespace veyra
