#include "editor/eyedropper/BackgroundPickerInstruction.h"

#include "brand/BrandIcons.h"
#include "brand/VeyraBrandPalette.h"
#include "editor/style/EditorStyle.h"
#include "foundation/language/LocalizedString.h"

#include <QFontMetrics>
#include <QGraphicsDropShadowEffect>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace veyra {

namespace {
constexpr int horizontalPadding = 12;
constexpr int verticalPadding = 8;
constexpr int symbolSpacing = 6;
constexpr int maximumLines = 2;

QFont instructionFont()
{
    return EditorFonts::withWeight(EditorFonts::caption(), QFont::Medium);
}

int symbolSide()
{
    return QFontMetrics(instructionFont()).height();
}
} // namespace

BackgroundPickerInstruction::BackgroundPickerInstruction(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("capture-background-picker-instruction"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFont(instructionFont());
    auto *shadow = new QGraphicsDropShadowEffect(this);
    QColor shadowColour(Qt::black);
    shadowColour.setAlphaF(0.25F);
    shadow->setColor(shadowColour);
    shadow->setBlurRadius(16);
    shadow->setOffset(0, 3);
    setGraphicsEffect(shadow);
    setAccessibleName(text());
}

QString BackgroundPickerInstruction::text()
{
    return localizedString(
        QT_TRANSLATE_NOOP("Veyra", "Use the eyedropper and click a clean, text-free part of the dialogue background."));
}

QStringList BackgroundPickerInstruction::linesForWidth(int textWidth) const
{
    return wrappedLines(text(), instructionFont(), textWidth, maximumLines);
}

int BackgroundPickerInstruction::textWidthFor(int panelWidth) const
{
    return panelWidth - 2 * horizontalPadding - symbolSide() - symbolSpacing;
}

QSize BackgroundPickerInstruction::panelSizeForMaximumWidth(int maximumWidth) const
{
    const QFontMetrics metrics(instructionFont());
    const int natural = metrics.horizontalAdvance(text()) + 1;
    const int textWidth = std::max(1, std::min(natural, textWidthFor(maximumWidth)));
    const QStringList lines = linesForWidth(textWidth);
    int widest = 0;
    for (const QString &line : lines) {
        widest = std::max(widest, metrics.horizontalAdvance(line) + 1);
    }
    const int width = std::min(maximumWidth, widest + 2 * horizontalPadding + symbolSide() + symbolSpacing);
    const int height = static_cast<int>(lines.size()) * metrics.lineSpacing() + 2 * verticalPadding;
    return {std::max(width, 0), height};
}

void BackgroundPickerInstruction::place(QPoint centre, int maximumWidth)
{
    const QSize size = panelSizeForMaximumWidth(maximumWidth);
    setGeometry(QRect(QPoint(centre.x() - size.width() / 2, centre.y() - size.height() / 2), size));
}

QRect BackgroundPickerInstruction::panelRect() const
{
    return rect();
}

void BackgroundPickerInstruction::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF panel = QRectF(panelRect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath shape;
    shape.addRoundedRect(panel, 8, 8);
    QColor material = palette().color(QPalette::Window);
    material.setAlphaF(0.94F);
    painter.fillPath(shape, material);
    QColor rim = VeyraBrandPalette::orange();
    rim.setAlphaF(0.65F);
    painter.setPen(QPen(rim, 1));
    painter.drawPath(shape);

    const QFontMetrics metrics(font());
    const int side = symbolSide();
    const QString shown = text();
    const QStringList lines = wrappedLines(shown, instructionFont(), textWidthFor(width()), maximumLines);
    m_paintedTexts = {shown};
    int widest = 0;
    for (const QString &line : lines) {
        widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    const int contentWidth = side + symbolSpacing + widest;
    const int left = (width() - contentWidth) / 2;
    const int textHeight = static_cast<int>(lines.size()) * metrics.lineSpacing();
    const int top = (height() - textHeight) / 2;
    const QColor ink = palette().color(QPalette::WindowText);
    painter.drawPixmap(QPoint(left, top + (metrics.lineSpacing() - side) / 2),
        symbolPixmap(QStringLiteral("eyedropper"), QSize(side, side), ink, devicePixelRatioF()));
    painter.setPen(ink);
    const int textLeft = left + side + symbolSpacing;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QRect lineRect(
            textLeft, top + static_cast<int>(i) * metrics.lineSpacing(), widest, metrics.lineSpacing());
        painter.drawText(lineRect, Qt::AlignHCenter | Qt::AlignVCenter, lines[i]);
    }
}

void BackgroundPickerInstruction::retranslate()
{
    setAccessibleName(text());
    update();
}

} // namespace veyra
