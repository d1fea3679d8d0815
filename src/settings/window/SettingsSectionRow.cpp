#include "settings/window/SettingsSectionRow.h"

#include "brand/BrandIcons.h"
#include "brand/VeyraBrandPalette.h"
#include "settings/style/SettingsStyle.h"

#include <QKeyEvent>
#include <QPainter>

namespace veyra {

SettingsSectionRow::SettingsSectionRow(VeyraSettingsSection section, QWidget *parent)
    : QAbstractButton(parent)
    , m_section(section)
{
    setObjectName(QStringLiteral("settings-section-") + rawValue(section));
    setCheckable(true);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    retranslate();
}

void SettingsSectionRow::retranslate()
{
    setText(sectionTitle(m_section));
    setAccessibleName(text());
    updateGeometry();
    update();
}

QSize SettingsSectionRow::sizeHint() const
{
    return {symbolSize + 8 + fontMetrics().horizontalAdvance(text()) + 20, rowHeight};
}

void SettingsSectionRow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        Q_EMIT stepRequested(event->key() == Qt::Key_Up ? -1 : 1);
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void SettingsSectionRow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor ink = palette().color(QPalette::WindowText);
    QColor symbolColour = VeyraBrandPalette::orange();
    if (isChecked()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(VeyraBrandPalette::orange());
        painter.drawRoundedRect(box, 6, 6);
        ink = Qt::white;
        symbolColour = Qt::white;
    } else if (underMouse() || isDown()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(settingsStyle::primary(palette(), isDown() ? 0.1 : 0.06));
        painter.drawRoundedRect(box, 6, 6);
    }
    if (hasFocus()) {
        QColor ring = VeyraBrandPalette::orange();
        ring.setAlphaF(isChecked() ? 1.0F : 0.6F);
        painter.setPen(QPen(isChecked() ? QColor(Qt::white) : ring, 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(box.adjusted(1.5, 1.5, -1.5, -1.5), 5, 5);
    }

    const int left = 10;
    const QPixmap symbol
        = symbolPixmap(sectionSymbolName(m_section), QSize(symbolSize, symbolSize), symbolColour, devicePixelRatioF());
    painter.drawPixmap(QPoint(left, (height() - symbolSize) / 2), symbol);
    painter.setPen(ink);
    const int textLeft = left + symbolSize + 8;
    const QRect textBox(textLeft, 0, width() - textLeft - 8, height());
    painter.drawText(
        textBox, Qt::AlignVCenter | Qt::AlignLeft, fontMetrics().elidedText(text(), Qt::ElideRight, textBox.width()));
}

} // namespace veyra
