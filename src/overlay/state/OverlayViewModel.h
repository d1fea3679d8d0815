#pragma once

#include "capture/target/CaptureTarget.h"
#include "overlay/state/OverlayCaptureAreaState.h"
#include "overlay/state/OverlayTextRow.h"

#include <QObject>
#include <QVector>

namespace veyra {

// Everything the overlay content draws. Written only by the overlay's controller and its
// row book; the content view observes the change signals. A setter that assigns the value
// already held announces nothing.
class OverlayViewModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int backgroundOpacityPercent READ backgroundOpacityPercent NOTIFY backgroundOpacityPercentChanged)
    Q_PROPERTY(int sourceTextSizePoints READ sourceTextSizePoints NOTIFY sourceTextSizePointsChanged)
    Q_PROPERTY(int translationTextSizePoints READ translationTextSizePoints NOTIFY translationTextSizePointsChanged)

public:
    OverlayViewModel(int backgroundOpacityPercent, int sourceTextSizePoints, int translationTextSizePoints,
        QObject *parent = nullptr);

    // The window 0 of process 0 with empty names and a zero frame, shown until the first
    // game window.
    static const CaptureTarget &placeholderTarget();

    const CaptureTarget &target() const { return m_target; }
    const OverlayCaptureAreaState &captureAreaState() const { return m_captureAreaState; }
    const QVector<OverlayTextRow> &textRows() const { return m_textRows; }
    int backgroundOpacityPercent() const { return m_backgroundOpacityPercent; }
    int sourceTextSizePoints() const { return m_sourceTextSizePoints; }
    int translationTextSizePoints() const { return m_translationTextSizePoints; }

    void setTarget(const CaptureTarget &target);
    void setCaptureAreaState(const OverlayCaptureAreaState &state);
    void setTextRows(const QVector<OverlayTextRow> &rows);
    void setBackgroundOpacityPercent(int percent);
    void setSourceTextSizePoints(int points);
    void setTranslationTextSizePoints(int points);

Q_SIGNALS:
    void targetChanged();
    void captureAreaStateChanged();
    void textRowsChanged();
    void backgroundOpacityPercentChanged();
    void sourceTextSizePointsChanged();
    void translationTextSizePointsChanged();

private:
    CaptureTarget m_target;
    OverlayCaptureAreaState m_captureAreaState = OverlayCaptureAreaState::ready();
    QVector<OverlayTextRow> m_textRows;
    int m_backgroundOpacityPercent;
    int m_sourceTextSizePoints;
    int m_translationTextSizePoints;
};

} // namespace veyra
