#include "editor/canvas/CaptureAreaCanvas.h"

#include "editor/eyedropper/BackgroundPickerFocusMask.h"
#include "editor/eyedropper/BackgroundPickerInstruction.h"
#include "editor/eyedropper/BackgroundPickerInteractionRegion.h"
#include "editor/model/CaptureAreaEditorModel.h"
#include "editor/style/EditorStyle.h"

#include <QApplication>
#include <QLineF>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace veyra {

namespace {
constexpr double instructionCentreY = 30.0;
constexpr int instructionMaximumWidth = 460;
constexpr int instructionSideMargin = 16;
} // namespace

CaptureAreaCanvas::CaptureAreaCanvas(CaptureAreaEditorModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_pickerMask(new BackgroundPickerFocusMask(this))
    , m_pickerRegion(new BackgroundPickerInteractionRegion(this))
    , m_pickerInstruction(new BackgroundPickerInstruction(this))
{
    setObjectName(QStringLiteral("capture-area-canvas"));
    setMinimumWidth(520);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_pickerMask->hide();
    m_pickerRegion->hide();
    m_pickerInstruction->hide();

    connect(&m_model, &CaptureAreaEditorModel::snapshotChanged, this, &CaptureAreaCanvas::snapshotChanged);
    connect(&m_model, &CaptureAreaEditorModel::areasChanged, this, &CaptureAreaCanvas::syncOverlays);
    connect(&m_model, &CaptureAreaEditorModel::selectionChanged, this, &CaptureAreaCanvas::syncOverlays);
    connect(&m_model, &CaptureAreaEditorModel::isPickingBackgroundChanged, this, &CaptureAreaCanvas::syncOverlays);
    connect(&m_snapshotCache, &ScaledSnapshotCache::ready, this, qOverload<>(&QWidget::update));
    snapshotChanged();
}

CaptureAreaCanvas::~CaptureAreaCanvas() = default;

CaptureCanvasTransform CaptureAreaCanvas::transform() const
{
    const auto &snapshot = m_model.snapshot();
    const QSizeF source = snapshot ? QSizeF(snapshot->image.size()) : QSizeF(0, 0);
    return {source, QSizeF(size())};
}

void CaptureAreaCanvas::retranslate()
{
    syncOverlays();
    m_pickerInstruction->retranslate();
    syncPickerLayer();
}

QSize CaptureAreaCanvas::minimumSizeHint() const
{
    return {520, 300};
}

QSize CaptureAreaCanvas::sizeHint() const
{
    return {760, 480};
}

void CaptureAreaCanvas::snapshotChanged()
{
    const auto &snapshot = m_model.snapshot();
    m_snapshotCache.setImage(snapshot ? snapshot->image : QImage());
    syncOverlays();
    update();
}

void CaptureAreaCanvas::syncOverlays()
{
    const auto &snapshot = m_model.snapshot();
    const QVector<CaptureAreaDraft> &areas = snapshot ? m_model.areas() : QVector<CaptureAreaDraft>();
    const CaptureCanvasTransform canvasTransform = transform();
    const CaptureRegion bounds{
        0, 0, canvasTransform.sourceSize.toSize().width(), canvasTransform.sourceSize.toSize().height()};
    const QString typeName = dialogueSearchTypeName();

    // Each area keeps its overlay (and a drag in progress) while its id stays the same.
    QVector<QPointer<CaptureRegionOverlay>> unused = m_overlays;
    QVector<QPointer<CaptureRegionOverlay>> overlays;
    overlays.reserve(areas.size());
    for (const CaptureAreaDraft &draft : areas) {
        const QString accessibilityID = QStringLiteral("capture-search-area-") + draft.id;
        auto match = std::find_if(unused.begin(), unused.end(), [&accessibilityID](const auto &overlay) {
            return overlay && overlay->configuration().accessibilityID == accessibilityID;
        });
        CaptureRegionOverlay *overlay = nullptr;
        if (match != unused.end()) {
            overlay = *match;
            unused.erase(match);
        } else {
            overlay = new CaptureRegionOverlay(this);
        }
        const QString boxID = draft.id;
        CaptureAreaEditorModel *model = &m_model;
        overlay->configure(
            {draft.searchRegion, typeName + QLatin1Char(' ') + draft.id, EditorColors::systemBlue(),
                m_model.selection() == draft.id, canvasTransform, bounds, accessibilityID},
            [model, boxID] { model->select(boxID); },
            [model, boxID](const CaptureRegion &region) { model->updateRegion(region, boxID); });
        overlay->show();
        overlay->raise();
        overlays.append(overlay);
    }
    for (const auto &overlay : unused) {
        delete overlay.data();
    }
    m_overlays = std::move(overlays);
    syncPickerLayer();
}

void CaptureAreaCanvas::syncPickerLayer()
{
    const std::optional<CaptureAreaDraft> selected = m_model.selectedArea();
    const bool shown = m_model.snapshot() && m_model.isPickingBackground() && selected;
    if (!shown) {
        if (m_isPickerShown) {
            m_pickerRegion->dismantle();
            m_pickerMask->hide();
            m_pickerRegion->hide();
            m_pickerInstruction->hide();
            m_isPickerShown = false;
        }
        return;
    }
    const QRectF area = transform().viewRect(selected->searchRegion);
    m_pickerMask->setGeometry(rect());
    m_pickerMask->setFocusedRect(area);
    m_pickerRegion->setGeometry(area.toAlignedRect());
    m_pickerRegion->updateInteraction(true, [this](QPointF local) { pick(local + QPointF(m_pickerRegion->pos())); });
    const int instructionWidth = std::min(width() - 2 * instructionSideMargin, instructionMaximumWidth);
    m_pickerInstruction->place(
        QPoint(static_cast<int>(std::lround(width() * 0.5)), static_cast<int>(instructionCentreY)), instructionWidth);
    for (QWidget *layer : {static_cast<QWidget *>(m_pickerMask), static_cast<QWidget *>(m_pickerRegion),
             static_cast<QWidget *>(m_pickerInstruction)}) {
        layer->show();
        layer->raise();
    }
    m_isPickerShown = true;
}

void CaptureAreaCanvas::pick(QPointF canvasPoint)
{
    if (const std::optional<QPointF> pixel = transform().pixelPoint(canvasPoint)) {
        m_model.pickBackground(*pixel);
    }
}

void CaptureAreaCanvas::paintEvent(QPaintEvent *)
{
    const auto &snapshot = m_model.snapshot();
    if (!snapshot) {
        return;
    }
    QPainter painter(this);
    QColor backdrop(Qt::black);
    backdrop.setAlphaF(0.88F);
    painter.fillRect(rect(), backdrop);
    const QRectF fitted = transform().fittedImageRect();
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(
        static_cast<int>(std::lround(fitted.width() * ratio)), static_cast<int>(std::lround(fitted.height() * ratio)));
    const QPixmap pixmap = m_snapshotCache.pixmapFor(pixels);
    if (!pixmap.isNull()) {
        const QPointF origin(std::round(fitted.left() * ratio) / ratio, std::round(fitted.top() * ratio) / ratio);
        painter.drawPixmap(QRectF(origin, QSizeF(pixels) / ratio), pixmap, QRectF(pixmap.rect()));
    }
}

void CaptureAreaCanvas::resizeEvent(QResizeEvent *)
{
    syncOverlays();
}

void CaptureAreaCanvas::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    const QPointF location = event->position();
    m_press = Press{Press::Kind::background, nullptr, CaptureAreaResizeHandle::topLeft, location, false};
    if (!m_model.snapshot()) {
        // An empty canvas has no gestures.
        m_press.kind = Press::Kind::none;
        return;
    }
    if (m_model.isPickingBackground()) {
        // While the eyedropper is armed the areas take no input.
        return;
    }
    // The topmost area first; an area's handles lie above its own body only.
    for (auto it = m_overlays.crbegin(); it != m_overlays.crend(); ++it) {
        CaptureRegionOverlay *overlay = *it;
        if (!overlay) {
            continue;
        }
        if (const std::optional<CaptureAreaResizeHandle> handle = overlay->handleAt(location)) {
            m_press.kind = Press::Kind::resize;
            m_press.overlay = overlay;
            m_press.handle = *handle;
            return;
        }
        if (overlay->bodyContains(location)) {
            m_press.kind = Press::Kind::move;
            m_press.overlay = overlay;
            // A body drag starts at once: pressing selects the area.
            overlay->changeMove(location, location);
            return;
        }
    }
}

void CaptureAreaCanvas::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF location = event->position();
    switch (m_press.kind) {
    case Press::Kind::move:
        if (m_press.overlay) {
            m_press.overlay->changeMove(m_press.location, location);
        }
        break;
    case Press::Kind::resize:
        if (!m_press.resizeStarted && QLineF(m_press.location, location).length() >= resizeThreshold) {
            m_press.resizeStarted = true;
        }
        if (m_press.resizeStarted && m_press.overlay) {
            m_press.overlay->changeResize(m_press.handle, m_press.location, location);
        }
        break;
    case Press::Kind::background:
    case Press::Kind::none:
        break;
    }
}

void CaptureAreaCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const Press press = std::exchange(m_press, Press{});
    switch (press.kind) {
    case Press::Kind::move:
        if (press.overlay) {
            press.overlay->endMove();
        }
        break;
    case Press::Kind::resize:
        if (press.resizeStarted && press.overlay) {
            press.overlay->endResize(press.handle);
        }
        break;
    case Press::Kind::background:
        if (QLineF(press.location, event->position()).length() < QApplication::startDragDistance()) {
            clickBackground();
        }
        break;
    case Press::Kind::none:
        break;
    }
}

void CaptureAreaCanvas::clickBackground()
{
    if (m_model.isPickingBackground() && m_model.selection()) {
        // The eyedropper keeps its area.
        return;
    }
    m_model.select(std::nullopt);
}

} // namespace veyra
