#pragma once

#include "editor/canvas/CaptureRegionOverlay.h"
#include "editor/canvas/ScaledSnapshotCache.h"
#include "editor/geometry/CaptureCanvasTransform.h"

#include <QPointer>
#include <QVector>
#include <QWidget>

#include <optional>

namespace veyra {

class BackgroundPickerFocusMask;
class BackgroundPickerInstruction;
class BackgroundPickerInteractionRegion;
class CaptureAreaEditorModel;

// The drawing surface of the capture-area editor: the snapshot scaled to fit, every
// capture area of the model as a tinted rectangle with its name tag, and, while the
// eyedropper is armed, the eyedropper layer over the selected area. A press selects an
// area, a drag on its body moves it, a drag on a handle (beyond 10 points) resizes it, a
// click on the background deselects. The model is the only source of what it shows.
class CaptureAreaCanvas : public QWidget
{
    Q_OBJECT

public:
    // The distance a handle drag must cover before it starts resizing, in points.
    static constexpr double resizeThreshold = 10.0;

    explicit CaptureAreaCanvas(CaptureAreaEditorModel &model, QWidget *parent = nullptr);
    ~CaptureAreaCanvas() override;

    CaptureCanvasTransform transform() const;
    // The area overlays in the model's order (the last drawn on top).
    const QVector<QPointer<CaptureRegionOverlay>> &overlays() const { return m_overlays; }
    const ScaledSnapshotCache &snapshotCache() const { return m_snapshotCache; }

    // Texts in the current interface language.
    void retranslate();

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    struct Press
    {
        enum class Kind { none, move, resize, background };
        Kind kind = Kind::none;
        QPointer<CaptureRegionOverlay> overlay;
        CaptureAreaResizeHandle handle = CaptureAreaResizeHandle::topLeft;
        QPointF location;
        bool resizeStarted = false;
    };

    void snapshotChanged();
    void syncOverlays();
    void syncPickerLayer();
    void clickBackground();
    void pick(QPointF canvasPoint);

    CaptureAreaEditorModel &m_model;
    ScaledSnapshotCache m_snapshotCache;
    QVector<QPointer<CaptureRegionOverlay>> m_overlays;
    BackgroundPickerFocusMask *m_pickerMask;
    BackgroundPickerInteractionRegion *m_pickerRegion;
    BackgroundPickerInstruction *m_pickerInstruction;
    bool m_isPickerShown = false;
    Press m_press;
};

} // namespace veyra
