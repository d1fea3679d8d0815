#include "brand/ProgressSpinner.h"

#include "foundation/language/LocalizedString.h"

#include <QEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>

namespace veyra {

namespace {

constexpr int frameMilliseconds = 50;
constexpr int degreesPerFrame = 30;

} // namespace

ProgressSpinner::ProgressSpinner(int diameter, QWidget *parent)
    : QWidget(parent)
    , m_timer(new QTimer(this))
{
    setFixedSize(diameter, diameter);
    setAttribute(Qt::WA_TranslucentBackground);
    // It shows progress and takes no input: clicks go to what lies under it.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(localizedString(QT_TRANSLATE_NOOP("Veyra", "In progress")));
    m_timer->setInterval(frameMilliseconds);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_angle = (m_angle + degreesPerFrame) % 360;
        update();
    });
}

void ProgressSpinner::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        setAccessibleName(localizedString(QT_TRANSLATE_NOOP("Veyra", "In progress")));
    }
}

bool ProgressSpinner::isSpinning() const
{
    return m_timer->isActive();
}

void ProgressSpinner::setColor(const QColor &color)
{
    m_color = color;
    update();
}

void ProgressSpinner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal stroke = std::max(2.0, width() / 9.0);
    const QRectF circle = QRectF(rect()).adjusted(stroke / 2, stroke / 2, -stroke / 2, -stroke / 2);
    QColor track = m_color.isValid() ? m_color : palette().color(QPalette::WindowText);
    track.setAlphaF(0.18f);
    painter.setPen(QPen(track, stroke));
    painter.drawEllipse(circle);
    const QColor arc = m_color.isValid() ? m_color : palette().color(QPalette::Highlight);
    painter.setPen(QPen(arc, stroke, Qt::SolidLine, Qt::RoundCap));
    // Qt counts arcs in sixteenths of a degree, counter-clockwise from three o'clock.
    painter.drawArc(circle, (90 - m_angle) * 16, -100 * 16);
}

void ProgressSpinner::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_timer->start();
}

void ProgressSpinner::hideEvent(QHideEvent *event)
{
    m_timer->stop();
    QWidget::hideEvent(event);
}

} // namespace veyra
