#pragma once

#include "capture/pipeline/CapturePipelineRunning.h"

#include <QVector>

#include <utility>

namespace veyra::test {

// A capture loop that captures nothing: it records its starts and stops, and the test
// sends its events through emitEvent().
class FakeCapturePipeline : public CapturePipelineRunning
{
public:
    const EventHandler &onEvent() const override { return m_onEvent; }
    void setOnEvent(EventHandler handler) override { m_onEvent = std::move(handler); }
    bool isRunning() const override { return m_isRunning; }

    void start(CaptureTarget target, CaptureAreaProfile profile) override
    {
        m_isRunning = true;
        starts.append({std::move(target), std::move(profile)});
    }
    void stop() override
    {
        m_isRunning = false;
        ++stopCount;
    }

    // Delivers an event as the loop does: synchronously, to the installed handler.
    void emitEvent(const CapturePipelineEvent &event) const
    {
        if (m_onEvent) {
            const EventHandler handler = m_onEvent;
            handler(event);
        }
    }

    QVector<std::pair<CaptureTarget, CaptureAreaProfile>> starts;
    int stopCount = 0;

private:
    EventHandler m_onEvent;
    bool m_isRunning = false;
};

} // namespace veyra::test
