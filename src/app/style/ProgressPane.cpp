#include "app/style/ProgressPane.h"

#include "app/style/ScreenStyle.h"
#include "brand/VeyraBrandPalette.h"

#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

namespace veyra {

namespace {

constexpr int indicatorSide = 28;
constexpr int stepDegrees = 30;
constexpr auto frameInterval = std::chrono::milliseconds(80);

class SpinningArc : public QWidget
{
public:
    explicit SpinningArc(QWidget *parent)
        : QWidget(parent)
    {
        setFixedSize(indicatorSide, indicatorSide);
        setAttribute(Qt::WA_TranslucentBackground);
    }

    void advance()
    {
        m_angle = (m_angle + stepDegrees) % 360;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF ring = QRectF(rect()).adjusted(3, 3, -3, -3);
        painter.setPen(QPen(screenStyle::withOpacity(Qt::white, 0.12), 3));
        painter.drawEllipse(ring);
        QPen arc(VeyraBrandPalette::orange(), 3);
        arc.setCapStyle(Qt::RoundCap);
        painter.setPen(arc);
        painter.drawArc(ring, (90 - m_angle) * 16, -100 * 16);
    }

private:
    int m_angle = 0;
};

} // namespace

ProgressPane::ProgressPane(const QString &objectName, QWidget *parent)
    : QWidget(parent)
    , m_indicator(new SpinningArc(this))
    , m_label(screenStyle::plainLabel(BrandTextStyle::callout, VeyraBrandPalette::secondaryText(), this))
    , m_timer(new QTimer(this))
{
    setObjectName(objectName);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(12);
    layout->addStretch(1);
    layout->addWidget(m_indicator, 0, Qt::AlignHCenter);
    layout->addWidget(m_label);
    layout->addStretch(1);

    m_timer->setInterval(frameInterval);
    connect(m_timer, &QTimer::timeout, this, [this] { static_cast<SpinningArc *>(m_indicator)->advance(); });
}

QString ProgressPane::text() const
{
    return m_label->text();
}

void ProgressPane::setText(const QString &text)
{
    m_label->setText(text);
    setAccessibleName(text);
}

void ProgressPane::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_timer->start();
}

void ProgressPane::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_timer->stop();
}

} // namespace veyra
