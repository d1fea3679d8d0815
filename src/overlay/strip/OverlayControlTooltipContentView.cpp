#include "overlay/strip/OverlayControlTooltipContentView.h"

#include "overlay/views/OverlayStyle.h"

#include <QLabel>
#include <QPainter>

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
    paintPlate(painter, rect(), 7, 0.9, 0.18);
}

void OverlayControlTooltipContentView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_label->setGeometry(rect().adjusted(labelInsetX, labelInsetY, -labelInsetX, -labelInsetY));
}

} // namespace veyra
