#pragma once

#include "capture/pipeline/CaptureAreaText.h"

#include <optional>

namespace veyra {

// What the capture loop reports: one area shows new text, or the target window is gone
// (the loop has then stopped itself).
class CapturePipelineEvent
{
public:
    enum class Kind {
        textChanged,
        targetUnavailable,
    };

    static CapturePipelineEvent textChanged(CaptureAreaText text) { return CapturePipelineEvent(std::move(text)); }
    static CapturePipelineEvent targetUnavailable() { return CapturePipelineEvent(); }

    Kind kind() const { return m_text ? Kind::textChanged : Kind::targetUnavailable; }

    // The changed area's text; only for textChanged.
    const CaptureAreaText &text() const { return *m_text; }

    bool operator==(const CapturePipelineEvent &) const = default;

private:
    CapturePipelineEvent() = default;
    explicit CapturePipelineEvent(CaptureAreaText text)
        : m_text(std::move(text))
    { }

    std::optional<CaptureAreaText> m_text;
};

} // namespace veyra
