#pragma once

#include <QColor>
#include <QWidget>

namespace veyra {

// A sampled colour: a rounded rectangle of 30 x 22 points with a thin outline.
class ColorSwatch : public QWidget
{
    Q_OBJECT

public:
    explicit ColorSwatch(QWidget *parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor &color);

    QSize sizeHint() const override { return {30, 22}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color;
};

} // namespace veyra
