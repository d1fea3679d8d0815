#include "editor/guide/CaptureAreaGuideIllustration.h"

#include "brand/BrandIcons.h"
#include "brand/VeyraBrandPalette.h"
#include "editor/model/CaptureAreaEditorModel.h"
#include "editor/style/EditorStyle.h"
#include "foundation/language/LocalizedString.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace veyra {

namespace {

const QColor boxInk(7, 12, 23);

QColor withAlpha(QColor colour, float alpha)
{
    colour.setAlphaF(alpha);
    return colour;
}

QFont pixelFont(int pixels, QFont::Weight weight)
{
    QFont font = EditorFonts::body();
    font.setPixelSize(pixels);
    font.setWeight(weight);
    return font;
}

// Where the soft shadow of a shape of these bounds lies, before its offset.
QRectF shadowBounds(const QRectF &shape, int radius)
{
    return shape.adjusted(-2 * radius, -2 * radius, 2 * radius, 2 * radius);
}

// The coverage of `shape` blurred by about `radius` points (three box-blur passes), over
// its shadow bounds.
QImage blurredCoverage(const QPainterPath &shape, int radius)
{
    const QRectF bounds = shadowBounds(shape.boundingRect(), radius);
    QImage alpha(bounds.size().toSize() + QSize(1, 1), QImage::Format_Alpha8);
    if (alpha.isNull()) {
        return alpha;
    }
    alpha.fill(0);
    {
        QPainter shapePainter(&alpha);
        shapePainter.setRenderHint(QPainter::Antialiasing);
        shapePainter.translate(-bounds.topLeft());
        shapePainter.fillPath(shape, Qt::black);
    }
    const int reach = std::max(1, radius / 2);
    const int width = alpha.width();
    const int height = alpha.height();
    std::vector<int> line(static_cast<std::size_t>(std::max(width, height)));
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < height; ++y) {
            uchar *row = alpha.scanLine(y);
            for (int x = 0; x < width; ++x) {
                line[static_cast<std::size_t>(x)] = row[x];
            }
            int sum = 0;
            for (int x = -reach; x <= reach; ++x) {
                sum += x >= 0 && x < width ? line[static_cast<std::size_t>(x)] : 0;
            }
            for (int x = 0; x < width; ++x) {
                row[x] = static_cast<uchar>(sum / (2 * reach + 1));
                const int out = x - reach;
                const int in = x + reach + 1;
                sum += (in < width ? line[static_cast<std::size_t>(in)] : 0)
                    - (out >= 0 ? line[static_cast<std::size_t>(out)] : 0);
            }
        }
        for (int x = 0; x < width; ++x) {
            for (int y = 0; y < height; ++y) {
                line[static_cast<std::size_t>(y)] = alpha.scanLine(y)[x];
            }
            int sum = 0;
            for (int y = -reach; y <= reach; ++y) {
                sum += y >= 0 && y < height ? line[static_cast<std::size_t>(y)] : 0;
            }
            for (int y = 0; y < height; ++y) {
                alpha.scanLine(y)[x] = static_cast<uchar>(sum / (2 * reach + 1));
                const int out = y - reach;
                const int in = y + reach + 1;
                sum += (in < height ? line[static_cast<std::size_t>(in)] : 0)
                    - (out >= 0 ? line[static_cast<std::size_t>(out)] : 0);
            }
        }
    }
    return alpha;
}

// The blurred coverage in `colour`, its top left corner at `at`.
void paintSoftShadow(QPainter &painter, const QImage &coverage, const QColor &colour, QPointF at)
{
    if (coverage.isNull()) {
        return;
    }
    QImage shadow(coverage.size(), QImage::Format_ARGB32_Premultiplied);
    shadow.fill(colour);
    {
        QPainter masker(&shadow);
        masker.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        masker.drawImage(0, 0, coverage);
    }
    painter.drawImage(at, shadow);
}

} // namespace

CaptureAreaGuideIllustrationGeometry CaptureAreaGuideIllustrationGeometry::forSize(QSizeF size)
{
    const double w = size.width();
    const double h = size.height();
    const QRectF box(0.1 * w, 0.1 * h, 0.8 * w, 0.25 * h);
    const double dx = 0.1 * box.width();
    const double dy = 0.1 * box.height();
    return {box, box.adjusted(-dx, -dy, dx, dy),
        QPointF(box.right() - 0.16 * box.width(), box.bottom() - 0.2 * box.height())};
}

CaptureAreaGuideIllustration::CaptureAreaGuideIllustration(QWidget *parent)
    : QWidget(parent)
    , m_scene(QStringLiteral(":/images/CaptureAreaGuideScene.png"))
{
    setObjectName(QStringLiteral("capture-area-guide-illustration"));
}

QString CaptureAreaGuideIllustration::sampleLine()
{
    return localizedString(QT_TRANSLATE_NOOP("Veyra", "Nothing to report, Captain!"));
}

QString CaptureAreaGuideIllustration::speakerName()
{
    return QStringLiteral("MIRA");
}

void CaptureAreaGuideIllustration::paintEvent(QPaintEvent *)
{
    // Drawn straight onto the window, whose backing store keeps it while the guide shows
    // (its parts take about a millisecond): a picture of its own would hold another copy of
    // the panel (1.5 MiB, 5.9 at twice the scale) for as long as the editor lives.
    m_paintedTexts = {sampleLine(), speakerName(), dialogueSearchTypeName()};
    QPainter painter(this);
    paintIllustration(painter);
}

void CaptureAreaGuideIllustration::paintIllustration(QPainter &painter) const
{
    painter.setClipRect(rect());
    painter.fillRect(rect(), withAlpha(Qt::black, 0.88F));
    paintScene(painter);
    painter.fillRect(rect(), withAlpha(Qt::black, 0.12F));
    painter.setRenderHint(QPainter::Antialiasing);
    const auto geometry = CaptureAreaGuideIllustrationGeometry::forSize(QSizeF(size()));
    paintDialogueBox(painter, geometry.dialogueBox);
    paintSearchArea(painter, geometry.searchArea);
    paintEyedropperBadge(painter, geometry.samplePoint);
}

void CaptureAreaGuideIllustration::paintScene(QPainter &painter) const
{
    if (m_scene.isNull()) {
        return;
    }
    // Scaled to fill, pixels kept sharp.
    QSizeF filled = QSizeF(m_scene.size());
    filled.scale(QSizeF(size()), Qt::KeepAspectRatioByExpanding);
    const QRectF target(QPointF((width() - filled.width()) / 2, (height() - filled.height()) / 2), filled);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawPixmap(target, m_scene, QRectF(m_scene.rect()));
}

void CaptureAreaGuideIllustration::paintDialogueBox(QPainter &painter, const QRectF &box) const
{
    QPainterPath body;
    body.addRoundedRect(box, 5, 5);
    // The blur takes most of a drawing's time: made once per size of the box.
    constexpr int shadowRadius = 9;
    if (m_shadow.box != box.size()) {
        m_shadow = {box.size(), blurredCoverage(body, shadowRadius)};
    }
    paintSoftShadow(painter, m_shadow.coverage, withAlpha(boxInk, 0.45F),
        shadowBounds(box, shadowRadius).topLeft() + QPointF(0, 8));
    painter.fillPath(body, withAlpha(boxInk, 0.9F));

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(withAlpha(Qt::white, 0.88F), 3));
    painter.drawRoundedRect(box, 3, 3);
    painter.setPen(QPen(withAlpha(QColor(82, 104, 137), 0.72F), 2));
    painter.drawRoundedRect(box.adjusted(3, 3, -3, -3), 3, 3);

    // The sample line: bold monospaced, a hard shadow, at most two lines.
    QFont lineFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    lineFont.setPixelSize(12);
    lineFont.setBold(true);
    const QFontMetricsF lineMetrics(lineFont);
    const double lineWidth = 0.72 * box.width() - 36;
    const QStringList lines = wrappedLines(sampleLine(), lineFont, lineWidth, 2);
    const double textHeight = static_cast<double>(lines.size()) * lineMetrics.lineSpacing();
    double y = box.center().y() - textHeight / 2;
    painter.setFont(lineFont);
    for (const QString &line : lines) {
        const QRectF lineRect(box.left() + 18, y, lineWidth, lineMetrics.lineSpacing());
        painter.setPen(Qt::black);
        painter.drawText(lineRect.translated(0, 2), Qt::AlignLeft | Qt::AlignVCenter, line);
        painter.setPen(Qt::white);
        painter.drawText(lineRect, Qt::AlignLeft | Qt::AlignVCenter, line);
        y += lineMetrics.lineSpacing();
    }

    // The speaker's tag straddles the top edge near the left end.
    QFont tagFont = pixelFont(9, QFont::Black);
    tagFont.setLetterSpacing(QFont::AbsoluteSpacing, 1.1);
    const QFontMetricsF tagMetrics(tagFont);
    const QSizeF tagSize(tagMetrics.horizontalAdvance(speakerName()) + 16, tagMetrics.height() + 6);
    const QRectF tag(box.topLeft() + QPointF(13, -12), tagSize);
    painter.fillRect(tag, QColor(32, 56, 88));
    painter.setPen(QPen(withAlpha(Qt::white, 0.88F), 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawRect(tag);
    painter.setFont(tagFont);
    painter.setPen(QColor(248, 215, 130));
    painter.drawText(tag, Qt::AlignCenter, speakerName());
}

void CaptureAreaGuideIllustration::paintSearchArea(QPainter &painter, const QRectF &area) const
{
    const QColor blue = EditorColors::systemBlue();
    painter.fillRect(area, withAlpha(blue, 0.08F));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(blue, 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.drawRect(area);

    const QFont labelFont = pixelFont(10, QFont::Bold);
    const QFontMetricsF metrics(labelFont);
    const QString label = dialogueSearchTypeName();
    const QRectF tab(
        area.topLeft() + QPointF(0, -20), QSizeF(metrics.horizontalAdvance(label) + 12, metrics.height() + 6));
    painter.fillRect(tab, blue);
    painter.setFont(labelFont);
    painter.setPen(Qt::white);
    painter.drawText(tab, Qt::AlignCenter, label);
}

void CaptureAreaGuideIllustration::paintEyedropperBadge(QPainter &painter, QPointF centre) const
{
    const double symbol = 18;
    const double diameter = symbol + 16;
    const QRectF circle(centre.x() - diameter / 2, centre.y() - diameter / 2, diameter, diameter);
    painter.setBrush(VeyraBrandPalette::orange());
    painter.setPen(QPen(Qt::white, 2));
    painter.drawEllipse(circle);
    const QPixmap eyedropper = symbolPixmap(QStringLiteral("eyedropper"),
        QSize(static_cast<int>(symbol), static_cast<int>(symbol)), Qt::white, devicePixelRatioF());
    painter.drawPixmap(QPointF(centre.x() - symbol / 2, centre.y() - symbol / 2), eyedropper);
}

} // namespace veyra
