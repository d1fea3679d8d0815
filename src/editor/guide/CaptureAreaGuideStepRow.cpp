#include "editor/guide/CaptureAreaGuideStepRow.h"

#include "brand/VeyraBrandPalette.h"
#include "editor/style/EditorStyle.h"
#include "editor/views/EditorWidgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace veyra {

namespace {
// The step number centred on an orange disc of 23 x 23 points.
class StepNumberBadge : public QWidget
{
public:
    StepNumberBadge(int number, QWidget *parent)
        : QWidget(parent)
        , m_number(number)
    {
        setFixedSize(23, 23);
        setFont(EditorFonts::withWeight(EditorFonts::caption(), QFont::Bold));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(VeyraBrandPalette::orange());
        painter.drawEllipse(QRectF(rect()));
        painter.setPen(Qt::white);
        painter.drawText(rect(), Qt::AlignCenter, QString::number(m_number));
    }

private:
    int m_number;
};
} // namespace

CaptureAreaGuideStepRow::CaptureAreaGuideStepRow(int number, QWidget *parent)
    : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(11);
    row->addWidget(new StepNumberBadge(number, this), 0, Qt::AlignTop);
    QColor ink(Qt::white);
    ink.setAlphaF(0.88F);
    m_text = makeLabel(this, EditorFonts::body(), ink);
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    row->addWidget(m_text, 1);
}

void CaptureAreaGuideStepRow::setText(const QString &text)
{
    m_text->setText(text);
}

QString CaptureAreaGuideStepRow::text() const
{
    return m_text->text();
}

} // namespace veyra
