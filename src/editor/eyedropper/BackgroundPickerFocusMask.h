#pragma once

#include <QRectF>
#include <QWidget>

namespace veyra {

// Darkens the whole canvas except the rectangle of the area the eyedropper samples.
// Covers the canvas and takes no pointer input.
class BackgroundPickerFocusMask : public QWidget
{
    Q_OBJECT

public:
    explicit BackgroundPickerFocusMask(QWidget *parent = nullptr);

    // The selected area's rectangle, in canvas points.
    QRectF focusedRect() const { return m_focusedRect; }
    void setFocusedRect(const QRectF &rect);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRectF m_focusedRect;
};

} // namespace veyra
