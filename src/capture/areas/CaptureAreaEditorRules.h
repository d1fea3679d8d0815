#pragma once

#include "capture/areas/CaptureArea.h"
#include "foundation/errors/Error.h"
#include "foundation/errors/ErrorMessage.h"

#include <QPoint>
#include <QVector>

#include <cstdint>
#include <exception>
#include <optional>

namespace veyra {

// A capture area as the editor holds it before saving: its background may not have been
// sampled yet.
struct CaptureAreaDraft
{
    QString id;
    CaptureRegion searchRegion;
    std::optional<DialogueBackgroundPattern> backgroundPattern;
    // The share (0 to 1) of the eyedropper's sample that has the picked colour; known only
    // right after a pick, never stored.
    std::optional<double> backgroundSampleCoverage;

    // A new area for a snapshot of width x height pixels: 40 % by 20 % of the snapshot
    // (at least 4 pixels each way, never larger than the snapshot), centred, without a
    // background.
    static CaptureAreaDraft centeredDefault(QString id, std::int64_t width, std::int64_t height);

    bool operator==(const CaptureAreaDraft &) const = default;
};

// A rule that the capture areas break, so that they cannot be saved yet.
class CaptureAreaValidationError : public LocalizedError
{
public:
    enum class Kind {
        noAreas,
        invalidIdentifier,
        duplicateIdentifier,
        // `areaID()` names the area.
        missingBackground,
    };

    explicit CaptureAreaValidationError(Kind kind, QString areaID = {});

    Kind kind() const { return m_kind; }
    const QString &areaID() const { return m_areaID; }

    QString localizedDescription() const override;

private:
    Kind m_kind;
    QString m_areaID;
};

// Checks, in this order, that there is at least one area, that every identifier is valid,
// that the identifiers are unique and that every area has a background; throws
// CaptureAreaValidationError for the first rule broken.
void validateCaptureAreaDrafts(const QVector<CaptureAreaDraft> &drafts);

// True when the identifier is made only of ASCII letters, digits, "_" and "-" (and is
// not empty).
bool isValidCaptureAreaIdentifier(const QString &id);

// The profile the editor saves: throws CaptureAreaValidationError when the drafts break
// a rule of validateCaptureAreaDrafts(). The profile carries the snapshot's pixel size as its reference size and the
// areas in the editor's order.
CaptureAreaProfile captureAreaProfileForSaving(const GameWindowProfileKey &key, std::int64_t snapshotWidth,
    std::int64_t snapshotHeight, const QVector<CaptureAreaDraft> &drafts);

// "Veyra couldn't save the capture areas: <the error's description>", worded when read.
ErrorMessage captureAreaSaveFailureMessage(std::exception_ptr error);

// A stored region carried onto a snapshot of the given size: scaled by the ratio of the
// snapshot's size to the profile's reference size, then clamped into the snapshot. A
// reference width or height below 1 means no scaling, only clamping.
CaptureRegion regionCarriedOntoSnapshot(const CaptureRegion &region, std::int64_t referenceImageWidth,
    std::int64_t referenceImageHeight, std::int64_t snapshotWidth, std::int64_t snapshotHeight);

// The profile's areas with their regions carried onto the snapshot, in stored order.
QVector<CaptureArea> areasCarriedOntoSnapshot(
    const CaptureAreaProfile &profile, std::int64_t snapshotWidth, std::int64_t snapshotHeight);

// The side of the square the eyedropper samples around the clicked pixel.
inline constexpr std::int64_t eyedropperSampleSize = 15;

// The eyedropper's sample: a 15 x 15 square centred on the clicked pixel, moved (and,
// in a smaller search region, shrunk) to lie inside the area's search region.
CaptureRegion eyedropperSampleRegion(QPoint clickedPixel, const CaptureRegion &searchRegion);

} // namespace veyra
