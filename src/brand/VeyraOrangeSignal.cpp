#include "brand/VeyraOrangeSignal.h"

#include "brand/BrandIcons.h"
#include "brand/BrandTextStyles.h"
#include "brand/VeyraBrandPalette.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace veyra {

namespace {

// The brand mark, drawn as a template in bright orange at the screen's pixel ratio.
class BrandMark : public QWidget
{
public:
    explicit BrandMark(QWidget *parent)
        : QWidget(parent)
    {
        setFixedSize(VeyraOrangeSignal::markWidth, VeyraOrangeSignal::markHeight);
        setAttribute(Qt::WA_TranslucentBackground);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.drawPixmap(
            0, 0, statusMenuIconTemplate(size(), VeyraBrandPalette::brightOrange(), devicePixelRatioF()));
    }
};

} // namespace

VeyraOrangeSignal::VeyraOrangeSignal(const QString &text, QWidget *parent)
    : QWidget(parent)
    , m_mark(new BrandMark(this))
    , m_text(new QLabel(this))
{
    m_mark->setObjectName(QStringLiteral("veyra-orange-signal-mark"));

    m_text->setTextFormat(Qt::PlainText);
    QFont captionFont = brandTextFont(BrandTextStyle::caption, font());
    captionFont.setWeight(QFont::DemiBold);
    m_text->setFont(captionFont);
    QPalette textPalette = m_text->palette();
    textPalette.setColor(QPalette::WindowText, VeyraBrandPalette::brightOrange());
    m_text->setPalette(textPalette);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(7);
    layout->addWidget(m_mark, 0, Qt::AlignVCenter);
    layout->addWidget(m_text, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    setText(text);
}

QString VeyraOrangeSignal::text() const
{
    return m_text->text();
}

void VeyraOrangeSignal::setText(const QString &text)
{
    m_text->setText(text);
    m_text->setVisible(!text.isEmpty());
    setAccessibleName(text);
}

} // namespace veyra
