#pragma once

#include "capture/pipeline/TranslationReportScreenshot.h"

#include <QString>

#include <optional>

namespace veyra {

// The recognised text of one capture area, normalised and never empty, with the frame's
// JPEG once the capture loop has attached it.
struct CaptureAreaText
{
    QString areaID;
    QString text;
    std::optional<TranslationReportScreenshot> reportScreenshot;

    bool operator==(const CaptureAreaText &) const = default;
};

} // namespace veyra
