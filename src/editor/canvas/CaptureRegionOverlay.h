#pragma once

#include "capture/areas/CaptureArea.h"
#include "editor/geometry/CaptureAreaResizeHandle.h"
#include "editor/geometry/CaptureCanvasTransform.h"
#include "editor/geometry/CaptureRegionGestures.h"

#include <QColor>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <map>
#include <optional>

namespace veyra {

// One capture area on the canvas: a tinted rectangle with its name tag and, while it is
// selected, eight resize handles. It draws itself and keeps the start of a move or
// resize in progress; the canvas routes the pointer to it (the overlay itself lets all
// pointer input through) and it reports every new region through `onChange`. For
// accessibility it is a button named after its tag that selects the area.
class CaptureRegionOverlay : public QWidget
{
    Q_OBJECT
    // The name tag as last painted (empty before the first paint), for tests.
    Q_PROPERTY(QStringList paintedTexts READ paintedTexts)

public:
    struct Configuration
    {
        // The area's search region in snapshot pixels.
        CaptureRegion region;
        // The name tag.
        QString label;
        QColor baseColor;
        bool isSelected = false;
        CaptureCanvasTransform transform;
        // The whole image; every result of a gesture is clamped into it.
        CaptureRegion bounds;
        QString accessibilityID;

        bool operator==(const Configuration &) const = default;
    };
    using SelectHandler = std::function<void()>;
    using ChangeHandler = std::function<void(const CaptureRegion &)>;

    // Side of a handle's square, in points.
    static constexpr double handleSide = 10.0;

    explicit CaptureRegionOverlay(QWidget *canvas);

    const Configuration &configuration() const { return m_configuration; }
    void configure(Configuration configuration, SelectHandler onSelect, ChangeHandler onChange);

    // The area's rectangle on the canvas.
    QRectF viewRect() const;
    // The rectangle of the name tag on the canvas.
    QRectF tagRect() const;

    // Hit tests in canvas points: a handle (only while selected; a later handle lies
    // above an earlier one), or the body.
    std::optional<CaptureAreaResizeHandle> handleAt(QPointF canvasPoint) const;
    bool bodyContains(QPointF canvasPoint) const;

    // A change of a body drag that began at `startLocation`: the first one records the
    // start and selects the area; each reports the moved region.
    void changeMove(QPointF startLocation, QPointF location);
    void endMove();
    // A change of a handle drag (after its threshold); reports the resized region.
    void changeResize(CaptureAreaResizeHandle handle, QPointF startLocation, QPointF location);
    void endResize(CaptureAreaResizeHandle handle);
    // Asks for this area to be selected.
    void select();

    const std::optional<CaptureRegionGestureStart> &moveStart() const { return m_moveStart; }
    const std::map<CaptureAreaResizeHandle, CaptureRegionGestureStart> &resizeStarts() const { return m_resizeStarts; }

    QStringList paintedTexts() const { return m_paintedTexts; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void updatePlacement();
    QSizeF tagSize() const;

    Configuration m_configuration;
    SelectHandler m_onSelect = [] {};
    ChangeHandler m_onChange = [](const CaptureRegion &) {};
    std::optional<CaptureRegionGestureStart> m_moveStart;
    std::map<CaptureAreaResizeHandle, CaptureRegionGestureStart> m_resizeStarts;
    QStringList m_paintedTexts;
};

} // namespace veyra
