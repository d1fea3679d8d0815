#include "overlay/strip/OverlayControlTooltipContentView.h"

#include "overlay/views/OverlayStyle.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace veyra {

namespace {

constexpr int labelInsetX = 10;
constexpr int labelInsetY = 6;

} // namespace

OverlayControlTooltipContentView::OverlayControlTooltipContentView(const QString &text, QWidget *parent)
    : QWidget(parent)
    , m_label(plainLabel(
          text, sizedFont(12, QFont::Medium, this), Qt::white, this, QStringLiteral("overlay-control-tooltip")))
{
    setAttribute(Qt::WA_TranslucentBackground);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setAccessibleName(text);
    resize(fittingSize());
}

QSize OverlayControlTooltipContentView::fittingSize() const
{
    return m_label->sizeHint() + QSize(2 * labelInsetX, 2 * labelInsetY);
}

void OverlayControlTooltipContentView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath plate;
    plate.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 7, 7);
    QColor fill(Qt::black);
    fill.setAlphaF(0.9F);
    painter.fillPath(plate, fill);
    painter.setPen(QPen(whiteAt(0.18), 1));
    painter.drawPath(plate);
}

void OverlayControlTooltipContentView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_label->setGeometry(rect().adjusted(labelInsetX, labelInsetY, -labelInsetX, -labelInsetY));
}

} // namespace veyra
