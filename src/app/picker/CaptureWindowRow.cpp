#include "app/picker/CaptureWindowRow.h"

#include "app/style/ScreenStyle.h"
#include "brand/BrandIcons.h"
#include "brand/BrandTextStyles.h"
#include "brand/VeyraBrandPalette.h"
#include "foundation/language/LocalizedString.h"

#include <QFontMetrics>
#include <QPainter>

namespace veyra {

namespace {

constexpr int markSide = 18;
constexpr int horizontalPadding = 10;
constexpr int verticalPadding = 7;
constexpr int markSpacing = 12;
constexpr int lineSpacing = 3;

QFont titleFont(const QFont &base)
{
    return brandTextFont(BrandTextStyle::body, base);
}

QFont captionFont(const QFont &base)
{
    return brandTextFont(BrandTextStyle::caption, base);
}

} // namespace

CaptureWindowRow::CaptureWindowRow(CaptureTarget window, QWidget *parent)
    : PickerRowButton(parent)
    , m_window(std::move(window))
{
    setObjectName(QStringLiteral("capture-window-%1").arg(m_window.windowID));
    retranslate();
}

void CaptureWindowRow::setMarkedSelected(bool selected)
{
    if (m_selected == selected) {
        return;
    }
    m_selected = selected;
    update();
}

QString CaptureWindowRow::displayTitle() const
{
    return m_window.windowTitle.isEmpty() ? localizedString(QT_TRANSLATE_NOOP("Veyra", "(Untitled)"))
                                          : m_window.windowTitle;
}

void CaptureWindowRow::retranslate()
{
    setText(displayTitle());
    setAccessibleName(displayTitle() + QStringLiteral(", ") + m_window.sizeDescription());
    update();
}

QSize CaptureWindowRow::sizeHint() const
{
    const int textHeight
        = QFontMetrics(titleFont(font())).height() + lineSpacing + QFontMetrics(captionFont(font())).height();
    return {260, std::max(markSide, textHeight) + 2 * verticalPadding};
}

void CaptureWindowRow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintRowBackground(painter);

    const QColor secondary = VeyraBrandPalette::secondaryText();
    const int markTop = (height() - markSide) / 2;
    const QPixmap mark = m_selected
        ? symbolPixmap(QStringLiteral("checkmark.circle.fill"), QSize(markSide, markSide), VeyraBrandPalette::orange(),
            devicePixelRatioF())
        : symbolPixmap(QStringLiteral("circle"), QSize(markSide, markSide), secondary, devicePixelRatioF());
    painter.drawPixmap(horizontalPadding, markTop, mark);

    const int textLeft = horizontalPadding + markSide + markSpacing;
    const int textWidth = std::max(0, width() - textLeft - horizontalPadding);
    const QFont title = titleFont(font());
    const QFont caption = captionFont(font());
    const QFontMetrics titleMetrics(title);
    const QFontMetrics captionMetrics(caption);
    const int blockHeight = titleMetrics.height() + lineSpacing + captionMetrics.height();
    const int top = (height() - blockHeight) / 2;

    painter.setFont(title);
    painter.setPen(Qt::white);
    painter.drawText(QRect(textLeft, top, textWidth, titleMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
        titleMetrics.elidedText(displayTitle(), Qt::ElideRight, textWidth));
    painter.setFont(caption);
    painter.setPen(secondary);
    painter.drawText(QRect(textLeft, top + titleMetrics.height() + lineSpacing, textWidth, captionMetrics.height()),
        Qt::AlignLeft | Qt::AlignVCenter, m_window.sizeDescription());
}

} // namespace veyra
