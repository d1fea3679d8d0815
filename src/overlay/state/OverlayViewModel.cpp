#include "overlay/state/OverlayViewModel.h"

namespace veyra {

namespace {

template <typename Value, typename Signal>
void assign(OverlayViewModel *model, Value &field, const Value &value, Signal changed)
{
    if (field == value) {
        return;
    }
    field = value;
    Q_EMIT(model->*changed)();
}

} // namespace

OverlayViewModel::OverlayViewModel(
    int backgroundOpacityPercent, int sourceTextSizePoints, int translationTextSizePoints, QObject *parent)
    : QObject(parent)
    , m_target(placeholderTarget())
    , m_backgroundOpacityPercent(backgroundOpacityPercent)
    , m_sourceTextSizePoints(sourceTextSizePoints)
    , m_translationTextSizePoints(translationTextSizePoints)
{ }

const CaptureTarget &OverlayViewModel::placeholderTarget()
{
    static const CaptureTarget placeholder;
    return placeholder;
}

void OverlayViewModel::setTarget(const CaptureTarget &target)
{
    assign(this, m_target, target, &OverlayViewModel::targetChanged);
}

void OverlayViewModel::setCaptureAreaState(const OverlayCaptureAreaState &state)
{
    assign(this, m_captureAreaState, state, &OverlayViewModel::captureAreaStateChanged);
}

void OverlayViewModel::setTextRows(const QVector<OverlayTextRow> &rows)
{
    assign(this, m_textRows, rows, &OverlayViewModel::textRowsChanged);
}

void OverlayViewModel::setBackgroundOpacityPercent(int percent)
{
    assign(this, m_backgroundOpacityPercent, percent, &OverlayViewModel::backgroundOpacityPercentChanged);
}

void OverlayViewModel::setSourceTextSizePoints(int points)
{
    assign(this, m_sourceTextSizePoints, points, &OverlayViewModel::sourceTextSizePointsChanged);
}

void OverlayViewModel::setTranslationTextSizePoints(int points)
{
    assign(this, m_translationTextSizePoints, points, &OverlayViewModel::translationTextSizePointsChanged);
}

} // namespace veyra
