#include "app/picker/ApplicationGroupSection.h"

#include "app/picker/CaptureWindowRow.h"
#include "app/style/ScreenStyle.h"
#include "brand/BrandIcons.h"
#include "brand/BrandTextStyles.h"
#include "brand/VeyraBrandPalette.h"
#include "foundation/language/LocalizedString.h"

#include <QFontMetrics>
#include <QPainter>
#include <QVBoxLayout>

namespace veyra {

namespace {

constexpr int chevronSide = 12;
constexpr int iconSide = 24;
constexpr int iconSymbolPadding = 3;
constexpr int horizontalPadding = 10;
constexpr int spacing = 10;
constexpr int verticalPadding = 8;
// Window rows start under the application's icon.
constexpr int rowIndent = horizontalPadding + chevronSide + spacing - 4;

QFont nameFont(const QFont &base)
{
    QFont font = brandTextFont(BrandTextStyle::body, base);
    font.setWeight(QFont::Medium);
    return font;
}

} // namespace

ApplicationGroupHeader::ApplicationGroupHeader(const CaptureApplicationGroup &group, QWidget *parent)
    : PickerRowButton(parent)
    , m_name(group.applicationName)
    , m_icon(group.icon)
    , m_windowCount(static_cast<int>(group.windows.size()))
{
    setObjectName(QStringLiteral("app-group-%1").arg(group.processID));
    setCheckable(true);
    connect(this, &QAbstractButton::toggled, this, qOverload<>(&QWidget::update));
    retranslate();
}

QString ApplicationGroupHeader::windowCountText() const
{
    return localizedCountString(QT_TRANSLATE_N_NOOP("Veyra", "%n windows"), m_windowCount);
}

void ApplicationGroupHeader::retranslate()
{
    setText(m_name);
    setAccessibleName(m_name + QStringLiteral(", ") + windowCountText());
    update();
}

QSize ApplicationGroupHeader::sizeHint() const
{
    return {260, std::max(iconSide, QFontMetrics(nameFont(font())).height()) + 2 * verticalPadding};
}

void ApplicationGroupHeader::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    paintRowBackground(painter);
    const QColor secondary = VeyraBrandPalette::secondaryText();
    const qreal ratio = devicePixelRatioF();

    // The chevron points right when collapsed and down when expanded.
    int x = horizontalPadding;
    const QPixmap chevron
        = symbolPixmap(QStringLiteral("chevron.right"), QSize(chevronSide, chevronSide), secondary, ratio);
    painter.save();
    painter.translate(x + chevronSide / 2.0, height() / 2.0);
    painter.rotate(isChecked() ? 90 : 0);
    painter.drawPixmap(QPointF(-chevronSide / 2.0, -chevronSide / 2.0), chevron);
    painter.restore();
    x += chevronSide + spacing;

    const QRectF iconFrame(x, (height() - iconSide) / 2.0, iconSide, iconSide);
    if (!m_icon.isNull()) {
        const QSizeF fitted = QSizeF(m_icon.size()).scaled(iconFrame.size(), Qt::KeepAspectRatio);
        const QRectF target(iconFrame.center() - QPointF(fitted.width() / 2, fitted.height() / 2), fitted);
        painter.drawImage(target, m_icon);
    } else {
        const int side = iconSide - 2 * iconSymbolPadding;
        painter.drawPixmap(QPointF(iconFrame.x() + iconSymbolPadding, iconFrame.y() + iconSymbolPadding),
            symbolPixmap(QStringLiteral("app"), QSize(side, side), secondary, ratio));
    }
    x += iconSide + spacing;

    const QFont caption = brandTextFont(BrandTextStyle::caption, font());
    const QString count = windowCountText();
    const int countWidth = QFontMetrics(caption).horizontalAdvance(count);
    const int countLeft = width() - horizontalPadding - countWidth;
    painter.setFont(caption);
    painter.setPen(secondary);
    painter.drawText(QRect(countLeft, 0, countWidth, height()), Qt::AlignRight | Qt::AlignVCenter, count);

    const QFont name = nameFont(font());
    const int nameWidth = std::max(0, countLeft - spacing - x);
    painter.setFont(name);
    painter.setPen(Qt::white);
    painter.drawText(QRect(x, 0, nameWidth, height()), Qt::AlignLeft | Qt::AlignVCenter,
        QFontMetrics(name).elidedText(m_name, Qt::ElideRight, nameWidth));
}

ApplicationGroupSection::ApplicationGroupSection(const CaptureApplicationGroup &group, QWidget *parent)
    : QWidget(parent)
    , m_processID(group.processID)
    , m_header(new ApplicationGroupHeader(group, this))
    , m_rowsContainer(new QWidget(this))
{
    auto *rowsLayout = new QVBoxLayout(m_rowsContainer);
    rowsLayout->setContentsMargins(rowIndent, 0, 0, 4);
    rowsLayout->setSpacing(0);
    for (const CaptureTarget &window : group.windows) {
        auto *row = new CaptureWindowRow(window, m_rowsContainer);
        const std::uint32_t windowID = window.windowID;
        connect(row, &QAbstractButton::clicked, this, [this, windowID] { Q_EMIT windowClicked(windowID); });
        rowsLayout->addWidget(row);
        m_rows.append(row);
    }
    m_rowsContainer->setVisible(false);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_header);
    layout->addWidget(m_rowsContainer);

    connect(m_header, &QAbstractButton::toggled, this, [this](bool expanded) {
        m_rowsContainer->setVisible(expanded);
        Q_EMIT expandedChanged(expanded);
    });
}

bool ApplicationGroupSection::isExpanded() const
{
    return m_header->isChecked();
}

void ApplicationGroupSection::setExpanded(bool expanded)
{
    m_header->setChecked(expanded);
}

void ApplicationGroupSection::setSelectedWindowID(std::optional<std::uint32_t> windowID)
{
    for (CaptureWindowRow *row : m_rows) {
        row->setMarkedSelected(windowID && row->window().windowID == *windowID);
    }
}

void ApplicationGroupSection::retranslate()
{
    m_header->retranslate();
    for (CaptureWindowRow *row : m_rows) {
        row->retranslate();
    }
}

} // namespace veyra
