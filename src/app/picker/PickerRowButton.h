#pragma once

#include <QAbstractButton>

class QPainter;

namespace veyra {

// The clickable rows of the window picker: they draw their own content over a rounded
// highlight that shows while the pointer is over them or they are pressed, framed in the
// accent while they hold the keyboard focus (not after a click).
class PickerRowButton : public QAbstractButton
{
    Q_OBJECT

public:
    explicit PickerRowButton(QWidget *parent = nullptr);

protected:
    void paintRowBackground(QPainter &painter);

    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    bool m_hovered = false;
    bool m_keyboardFocus = false;
};

} // namespace veyra
