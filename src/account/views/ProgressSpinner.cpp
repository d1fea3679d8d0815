#include "account/views/ProgressSpinner.h"

#include "foundation/language/LocalizedString.h"

#include <QPainter>

namespace veyra {

ProgressSpinner::ProgressSpinner(int diameter, QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(diameter, diameter);
    setAccessibleName(localizedString(QT_TRANSLATE_NOOP("Veyra", "In progress")));
    m_timer.setInterval(16);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_angle = (m_angle + 6) % 360;
        update();
    });
}

void ProgressSpinner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal stroke = width() / 10.0;
    const QRectF ring = QRectF(rect()).adjusted(stroke, stroke, -stroke, -stroke);
    QColor track = palette().color(QPalette::WindowText);
    track.setAlphaF(0.18f);
    painter.setPen(QPen(track, stroke, Qt::SolidLine, Qt::RoundCap));
    painter.drawEllipse(ring);
    painter.setPen(QPen(palette().color(QPalette::Highlight), stroke, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(ring, -m_angle * 16, 100 * 16);
}

void ProgressSpinner::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_timer.start();
}

void ProgressSpinner::hideEvent(QHideEvent *event)
{
    m_timer.stop();
    QWidget::hideEvent(event);
}

} // namespace veyra
