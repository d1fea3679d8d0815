#include "app/setup/AvailableAppUpdateButton.h"

#include "app/style/ScreenStyle.h"
#include "brand/BrandIcons.h"
#include "brand/BrandTextStyles.h"
#include "brand/VeyraBrandPalette.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

#include <algorithm>

namespace veyra {

namespace {

constexpr int minimumButtonHeight = 38;
constexpr int symbolSide = 15;
constexpr int labelSpacing = 8;
constexpr qreal cornerRadius = 8;

// The colour with `shift` added to each of its components.
QColor brightened(const QColor &colour, qreal shift)
{
    const auto add = [shift](float component) { return std::clamp(component + static_cast<float>(shift), 0.0f, 1.0f); };
    return QColor::fromRgbF(add(colour.redF()), add(colour.greenF()), add(colour.blueF()), colour.alphaF());
}

QFont labelFont(const QFont &base)
{
    QFont font = brandTextFont(BrandTextStyle::callout, base);
    font.setWeight(QFont::DemiBold);
    return font;
}

qreal progressOf(const QVariantAnimation *animation)
{
    return animation->currentValue().isValid() ? animation->currentValue().toReal() : 0.0;
}

} // namespace

AvailableAppUpdateButton::AvailableAppUpdateButton(QWidget *parent)
    : QAbstractButton(parent)
    , m_hover(new QVariantAnimation(this))
    , m_press(new QVariantAnimation(this))
{
    setObjectName(QStringLiteral("available-app-update"));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_Hover);
    for (QVariantAnimation *animation : {m_hover, m_press}) {
        animation->setDuration(animationMilliseconds);
        animation->setEasingCurve(QEasingCurve::OutCubic);
        animation->setStartValue(0.0);
        animation->setEndValue(0.0);
        connect(animation, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    }
    connect(this, &QAbstractButton::pressed, this, [this] { animate(m_press, 1.0); });
    connect(this, &QAbstractButton::released, this, [this] { animate(m_press, 0.0); });
}

void AvailableAppUpdateButton::animate(QVariantAnimation *animation, qreal target)
{
    const qreal from = progressOf(animation);
    animation->stop();
    animation->setStartValue(from);
    animation->setEndValue(target);
    animation->start();
}

qreal AvailableAppUpdateButton::currentBrightness() const
{
    // Pressing wins over hovering, as the two looks blend while they change.
    const qreal pressed = progressOf(m_press);
    return pressed * pressedBrightness + (1.0 - pressed) * progressOf(m_hover) * hoverBrightness;
}

qreal AvailableAppUpdateButton::currentScale() const
{
    return 1.0 + progressOf(m_press) * (pressedScale - 1.0);
}

qreal AvailableAppUpdateButton::currentOpacity() const
{
    return 1.0 + progressOf(m_press) * (pressedOpacity - 1.0);
}

QSize AvailableAppUpdateButton::sizeHint() const
{
    const QFontMetrics metrics(labelFont(font()));
    return {symbolSide + labelSpacing + metrics.horizontalAdvance(text()) + 32,
        std::max(minimumButtonHeight, metrics.height() + 16)};
}

QSize AvailableAppUpdateButton::minimumSizeHint() const
{
    return sizeHint();
}

void AvailableAppUpdateButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setOpacity(currentOpacity() * (isEnabled() ? 1.0 : 0.5));
    const QPointF centre = QRectF(rect()).center();
    painter.translate(centre);
    painter.scale(currentScale(), currentScale());
    painter.translate(-centre);

    const QRectF area = QRectF(rect());
    const qreal brightness = currentBrightness();
    QLinearGradient fill(area.topLeft(), area.bottomLeft());
    fill.setColorAt(0.0, brightened(VeyraBrandPalette::brightOrange(), brightness));
    fill.setColorAt(1.0, brightened(VeyraBrandPalette::orange(), brightness));
    QPainterPath shape;
    shape.addRoundedRect(area, cornerRadius, cornerRadius);
    painter.fillPath(shape, fill);
    if (hasFocus()) {
        painter.setPen(QPen(screenStyle::withOpacity(Qt::white, 0.8), 1.5));
        painter.drawPath(shape);
    }

    const QColor ink = VeyraBrandPalette::orangeInk();
    const QFont font = labelFont(this->font());
    const QFontMetrics metrics(font);
    const int labelWidth = symbolSide + labelSpacing + metrics.horizontalAdvance(text());
    const qreal left = area.center().x() - labelWidth / 2.0;
    painter.drawPixmap(QPointF(left, area.center().y() - symbolSide / 2.0),
        symbolPixmap(QStringLiteral("ArrowDownCircleFill"), QSize(symbolSide, symbolSide), ink, devicePixelRatioF()));
    painter.setFont(font);
    painter.setPen(ink);
    painter.drawText(
        QRectF(left + symbolSide + labelSpacing, area.top(), metrics.horizontalAdvance(text()) + 2, area.height()),
        Qt::AlignLeft | Qt::AlignVCenter, text());
}

void AvailableAppUpdateButton::enterEvent(QEnterEvent *event)
{
    m_hovered = true;
    animate(m_hover, 1.0);
    QAbstractButton::enterEvent(event);
}

void AvailableAppUpdateButton::leaveEvent(QEvent *event)
{
    m_hovered = false;
    animate(m_hover, 0.0);
    QAbstractButton::leaveEvent(event);
}

} // namespace veyra
