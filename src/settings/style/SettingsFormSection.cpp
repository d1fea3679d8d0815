#include "settings/style/SettingsFormSection.h"

#include "brand/BrandTextStyles.h"
#include "settings/style/SettingsStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace veyra {

namespace {

// The card behind the rows: the palette's base colour with a faint border.
class FormCard : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setPen(QPen(settingsStyle::primary(palette(), 0.1), 1.0));
        painter.setBrush(palette().color(QPalette::Base));
        painter.drawRoundedRect(box, settingsStyle::cardCornerRadius, settingsStyle::cardCornerRadius);
    }
};

} // namespace

SettingsFormSection::SettingsFormSection(QWidget *parent)
    : QWidget(parent)
    , m_header(new QLabel(this))
    , m_card(new FormCard(this))
    , m_content(new QVBoxLayout(m_card))
{
    m_header->setTextFormat(Qt::PlainText);
    QFont headerFont = brandTextFont(BrandTextStyle::caption, font());
    headerFont.setWeight(QFont::DemiBold);
    m_header->setFont(headerFont);
    settingsStyle::setTextColor(m_header, settingsStyle::secondaryText(palette()));
    m_header->hide();

    m_content->setContentsMargins(settingsStyle::cardPadding, 12, settingsStyle::cardPadding, 12);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    auto *headerBox = new QHBoxLayout;
    headerBox->setContentsMargins(4, 0, 4, 0);
    headerBox->addWidget(m_header);
    layout->addLayout(headerBox);
    layout->addWidget(m_card);
}

void SettingsFormSection::setHeader(const QString &header)
{
    m_header->setText(header);
    m_header->setVisible(!header.isEmpty());
}

QString SettingsFormSection::header() const
{
    return m_header->text();
}

} // namespace veyra
