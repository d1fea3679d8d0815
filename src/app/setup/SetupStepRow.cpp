#include "app/setup/SetupStepRow.h"

#include "app/style/ScreenStyle.h"
#include "brand/BrandIcons.h"
#include "brand/BrandTextStyles.h"
#include "brand/VeyraBrandPalette.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace veyra {

namespace {

constexpr int indicatorSide = 28;
constexpr int checkmarkSide = 13;

// The step's circle with its checkmark or number.
class StepIndicator : public QWidget
{
public:
    explicit StepIndicator(const SetupStepRow *row, QWidget *parent)
        : QWidget(parent)
        , m_row(row)
    {
        setFixedSize(indicatorSide, indicatorSide);
        setAttribute(Qt::WA_TranslucentBackground);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const bool highlighted = m_row->isHighlighted();
        painter.setPen(Qt::NoPen);
        painter.setBrush(highlighted ? VeyraBrandPalette::orange() : screenStyle::withOpacity(Qt::white, 0.1));
        painter.drawEllipse(QRectF(rect()));

        const QColor symbolColour = highlighted ? QColor(Qt::white) : VeyraBrandPalette::secondaryText();
        if (m_row->isComplete()) {
            const QPixmap check = symbolPixmap(
                QStringLiteral("checkmark"), QSize(checkmarkSide, checkmarkSide), symbolColour, devicePixelRatioF());
            painter.drawPixmap((width() - checkmarkSide) / 2, (height() - checkmarkSide) / 2, check);
            return;
        }
        QFont number = brandTextFont(BrandTextStyle::caption, font());
        number.setWeight(QFont::Bold);
        painter.setFont(number);
        painter.setPen(symbolColour);
        painter.drawText(rect(), Qt::AlignCenter, QString::number(m_row->number()));
    }

private:
    const SetupStepRow *m_row;
};

void setColour(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

} // namespace

SetupStepRow::SetupStepRow(int number, QWidget *parent)
    : QWidget(parent)
    , m_number(number)
    , m_indicator(new StepIndicator(this, this))
    , m_title(screenStyle::plainLabel(BrandTextStyle::callout, Qt::white, this))
    , m_status(screenStyle::plainLabel(BrandTextStyle::caption, Qt::white, this))
{
    setObjectName(QStringLiteral("game-setup-step-%1").arg(number));
    m_title->setWordWrap(true);
    m_status->setWordWrap(true);

    auto *labels = new QVBoxLayout;
    labels->setContentsMargins(0, 4, 0, 0);
    labels->setSpacing(3);
    labels->addWidget(m_title);
    labels->addWidget(m_status);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 24);
    layout->setSpacing(12);
    layout->addWidget(m_indicator, 0, Qt::AlignTop);
    layout->addLayout(labels, 1);
}

QString SetupStepRow::title() const
{
    return m_title->text();
}

QString SetupStepRow::status() const
{
    return m_status->text();
}

void SetupStepRow::setStep(const QString &title, const QString &status, bool isComplete, bool isCurrent)
{
    m_complete = isComplete;
    m_current = isCurrent;
    m_title->setText(title);
    m_status->setText(status);

    QFont titleFont = brandTextFont(BrandTextStyle::callout, font());
    titleFont.setWeight(isCurrent ? QFont::DemiBold : QFont::Normal);
    m_title->setFont(titleFont);
    setColour(m_title, screenStyle::withOpacity(Qt::white, isHighlighted() ? 1.0 : 0.5));
    setColour(m_status, isCurrent ? VeyraBrandPalette::brightOrange() : screenStyle::withOpacity(Qt::white, 0.42));
    setAccessibleName(QStringLiteral("%1. %2, %3").arg(m_number).arg(title, status));
    m_indicator->update();
}

} // namespace veyra
