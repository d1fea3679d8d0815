#include "overlay/views/OverlayActivityIndicator.h"

#include <QPainter>

namespace veyra {

namespace {

constexpr int frameIntervalMs = 80;
constexpr int degreesPerFrame = 30;

} // namespace

OverlayActivityIndicator::OverlayActivityIndicator(int diameter, QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(diameter, diameter);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_timer.setInterval(frameIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_angle = (m_angle + degreesPerFrame) % 360;
        update();
    });
}

void OverlayActivityIndicator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal penWidth = std::max(1.5, width() / 7.0);
    const QRectF bounds = QRectF(rect()).adjusted(penWidth / 2, penWidth / 2, -penWidth / 2, -penWidth / 2);
    QColor track = palette().color(QPalette::WindowText);
    track.setAlphaF(track.alphaF() * 0.25);
    painter.setPen(QPen(track, penWidth));
    painter.drawEllipse(bounds);
    painter.setPen(QPen(palette().color(QPalette::WindowText), penWidth, Qt::SolidLine, Qt::RoundCap));
    // Qt counts angles counter-clockwise in sixteenths of a degree.
    painter.drawArc(bounds, -m_angle * 16, 100 * 16);
}

void OverlayActivityIndicator::showEvent(QShowEvent *event)
{
    m_timer.start();
    QWidget::showEvent(event);
}

void OverlayActivityIndicator::hideEvent(QHideEvent *event)
{
    m_timer.stop();
    QWidget::hideEvent(event);
}

} // namespace veyra
