#include "settings/window/ResetSettingsButton.h"

#include "brand/BrandIcons.h"
#include "brand/VeyraBrandPalette.h"
#include "settings/style/SettingsStyle.h"
#include "settings/window/ResetSettingsButtonStyle.h"

#include <QEnterEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

namespace veyra {

namespace {

QColor blend(const QColor &from, const QColor &to, qreal amount)
{
    const auto mix = [amount](float a, float b) { return a + (b - a) * static_cast<float>(amount); };
    QColor colour;
    colour.setRgbF(mix(from.redF(), to.redF()), mix(from.greenF(), to.greenF()), mix(from.blueF(), to.blueF()),
        mix(from.alphaF(), to.alphaF()));
    return colour;
}

QVariantAnimation *makeAnimation(QObject *parent)
{
    auto *animation = new QVariantAnimation(parent);
    animation->setDuration(static_cast<int>(ResetSettingsButtonStyle::animationDuration.count()));
    animation->setEasingCurve(QEasingCurve::OutQuad);
    animation->setStartValue(0.0);
    animation->setEndValue(0.0);
    return animation;
}

// 0 at rest, 1 in the hovered or pressed state.
qreal progress(const QVariantAnimation *animation)
{
    const QVariant value = animation->currentValue();
    return value.isValid() ? value.toReal() : animation->endValue().toReal();
}

} // namespace

ResetSettingsButton::ResetSettingsButton(QWidget *parent)
    : QAbstractButton(parent)
    , m_hoverAnimation(makeAnimation(this))
    , m_pressAnimation(makeAnimation(this))
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    for (QVariantAnimation *animation : {m_hoverAnimation, m_pressAnimation}) {
        connect(animation, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    }
    connect(this, &QAbstractButton::pressed, this, [this] { animateTo(m_pressAnimation, 1.0); });
    connect(this, &QAbstractButton::released, this, [this] { animateTo(m_pressAnimation, 0.0); });
}

QSize ResetSettingsButton::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    const int width = symbolSize + symbolSpacing + metrics.horizontalAdvance(text()) + 2 * horizontalPadding;
    const int height = std::max(metrics.height(), symbolSize) + 2 * verticalPadding;
    return {width, height};
}

QSize ResetSettingsButton::minimumSizeHint() const
{
    return {symbolSize + 2 * horizontalPadding, sizeHint().height()};
}

void ResetSettingsButton::animateTo(QVariantAnimation *animation, qreal target)
{
    const qreal now = progress(animation);
    animation->stop();
    animation->setStartValue(now);
    animation->setEndValue(target);
    animation->start();
}

void ResetSettingsButton::setHovered(bool hovered)
{
    if (hovered == m_hovered) {
        return;
    }
    m_hovered = hovered;
    animateTo(m_hoverAnimation, hovered ? 1.0 : 0.0);
}

void ResetSettingsButton::enterEvent(QEnterEvent *event)
{
    setHovered(true);
    QAbstractButton::enterEvent(event);
}

void ResetSettingsButton::leaveEvent(QEvent *event)
{
    setHovered(false);
    QAbstractButton::leaveEvent(event);
}

void ResetSettingsButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        setHovered(false);
    }
    QAbstractButton::changeEvent(event);
}

void ResetSettingsButton::paintEvent(QPaintEvent *)
{
    const qreal hover = progress(m_hoverAnimation);
    const qreal press = progress(m_pressAnimation);
    const QPalette &colours = palette();
    const ResetSettingsButtonStyle resting{false};
    const ResetSettingsButtonStyle hovered{true};
    const QColor fill = blend(
        blend(resting.fill(false, colours), hovered.fill(false, colours), hover), hovered.fill(true, colours), press);
    const QColor border = blend(blend(resting.border(false, colours), hovered.border(false, colours), hover),
        hovered.border(true, colours), press);
    const qreal scale = 1.0 + (ResetSettingsButtonStyle::pressedScale - 1.0) * press;

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = QRectF(rect()).center();
    painter.translate(centre);
    painter.scale(scale, scale);
    painter.translate(-centre);

    const qreal inset = ResetSettingsButtonStyle::borderWidth / 2.0;
    const QRectF box = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    painter.setPen(QPen(border, ResetSettingsButtonStyle::borderWidth));
    painter.setBrush(fill);
    painter.drawRoundedRect(box, ResetSettingsButtonStyle::cornerRadius, ResetSettingsButtonStyle::cornerRadius);

    // The symbol and the title, centred together; the title is elided when the button is
    // too narrow for it.
    const QFontMetrics metrics = fontMetrics();
    const int room = width() - 2 * horizontalPadding - symbolSize - symbolSpacing;
    const QString shown = metrics.elidedText(text(), Qt::ElideRight, std::max(room, 0));
    const int contentWidth = symbolSize + symbolSpacing + metrics.horizontalAdvance(shown);
    const int left = (width() - contentWidth) / 2;
    const QPixmap symbol = symbolPixmap(QStringLiteral("arrow.counterclockwise"), QSize(symbolSize, symbolSize),
        VeyraBrandPalette::orange(), devicePixelRatioF());
    painter.drawPixmap(QPoint(left, (height() - symbolSize) / 2), symbol);
    painter.setPen(colours.color(QPalette::ButtonText));
    const QRect textBox(left + symbolSize + symbolSpacing, 0, width() - left - symbolSize - symbolSpacing, height());
    painter.drawText(textBox, Qt::AlignVCenter | Qt::AlignLeft, shown);

    if (hasFocus()) {
        QColor ring = VeyraBrandPalette::orange();
        ring.setAlphaF(0.6F);
        painter.setPen(QPen(ring, 2.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), ResetSettingsButtonStyle::cornerRadius,
            ResetSettingsButtonStyle::cornerRadius);
    }
}

} // namespace veyra
