#include "capture/areas/CaptureAreaEditorRules.h"

#include "foundation/language/LocalizedString.h"

#include <QSet>

#include <algorithm>
#include <cmath>

namespace veyra {

namespace {
const char *messageFor(CaptureAreaValidationError::Kind kind)
{
    switch (kind) {
    case CaptureAreaValidationError::Kind::noAreas:
        return QT_TRANSLATE_NOOP("Veyra", "Add at least one capture area before saving.");
    case CaptureAreaValidationError::Kind::invalidIdentifier:
        return QT_TRANSLATE_NOOP("Veyra", "Box IDs may contain only letters, numbers, underscores, and hyphens.");
    case CaptureAreaValidationError::Kind::duplicateIdentifier:
        return QT_TRANSLATE_NOOP("Veyra", "Each box ID must be unique.");
    case CaptureAreaValidationError::Kind::missingBackground:
        break;
    }
    return QT_TRANSLATE_NOOP("Veyra", "Choose a background for %@ before saving.");
}
} // namespace

CaptureAreaValidationError::CaptureAreaValidationError(Kind kind, QString areaID)
    : LocalizedError(formatPlaceholders(QString::fromUtf8(messageFor(kind)), {areaID}))
    , m_kind(kind)
    , m_areaID(std::move(areaID))
{ }

QString CaptureAreaValidationError::localizedDescription() const
{
    return localizedFormat(messageFor(m_kind), {m_areaID});
}

bool isValidCaptureAreaIdentifier(const QString &id)
{
    if (id.isEmpty()) {
        return false;
    }
    for (const QChar c : id) {
        const char16_t u = c.unicode();
        const bool allowed = (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9')
            || u == u'_' || u == u'-';
        if (!allowed) {
            return false;
        }
    }
    return true;
}

CaptureAreaDraft CaptureAreaDraft::centeredDefault(QString id, std::int64_t width, std::int64_t height)
{
    const auto share = [](std::int64_t size, double factor) {
        return std::max<std::int64_t>(static_cast<std::int64_t>(std::round(static_cast<double>(size) * factor)), 4);
    };
    const std::int64_t areaWidth = share(width, 0.4);
    const std::int64_t areaHeight = share(height, 0.2);
    const CaptureRegion region{(width - areaWidth) / 2, (height - areaHeight) / 2, areaWidth, areaHeight};
    const CaptureRegion snapshotBounds{0, 0, std::max<std::int64_t>(width, 1), std::max<std::int64_t>(height, 1)};
    return {std::move(id), region.clamped(snapshotBounds), std::nullopt, std::nullopt};
}

void validateCaptureAreaDrafts(const QVector<CaptureAreaDraft> &drafts)
{
    using Kind = CaptureAreaValidationError::Kind;
    if (drafts.isEmpty()) {
        throw CaptureAreaValidationError(Kind::noAreas);
    }
    for (const CaptureAreaDraft &draft : drafts) {
        if (!isValidCaptureAreaIdentifier(draft.id)) {
            throw CaptureAreaValidationError(Kind::invalidIdentifier);
        }
    }
    QSet<QString> seen;
    for (const CaptureAreaDraft &draft : drafts) {
        if (seen.contains(draft.id)) {
            throw CaptureAreaValidationError(Kind::duplicateIdentifier);
        }
        seen.insert(draft.id);
    }
    for (const CaptureAreaDraft &draft : drafts) {
        if (!draft.backgroundPattern) {
            throw CaptureAreaValidationError(Kind::missingBackground, draft.id);
        }
    }
}

CaptureAreaProfile captureAreaProfileForSaving(const GameWindowProfileKey &key, std::int64_t snapshotWidth,
    std::int64_t snapshotHeight, const QVector<CaptureAreaDraft> &drafts)
{
    validateCaptureAreaDrafts(drafts);
    CaptureAreaProfile profile{key.applicationIdentity, key.windowTitle, snapshotWidth, snapshotHeight, {}};
    profile.areas.reserve(drafts.size());
    for (const CaptureAreaDraft &draft : drafts) {
        profile.areas.append({draft.id, draft.searchRegion, *draft.backgroundPattern});
    }
    return profile;
}

ErrorMessage captureAreaSaveFailureMessage(std::exception_ptr error)
{
    return ErrorMessage::text(QT_TRANSLATE_NOOP("Veyra", "Veyra couldn't save the capture areas: %@"),
        {ErrorMessage::describing(std::move(error))});
}

CaptureRegion regionCarriedOntoSnapshot(const CaptureRegion &region, std::int64_t referenceImageWidth,
    std::int64_t referenceImageHeight, std::int64_t snapshotWidth, std::int64_t snapshotHeight)
{
    const CaptureRegion snapshotBounds{0, 0, snapshotWidth, snapshotHeight};
    if (referenceImageWidth < 1 || referenceImageHeight < 1) {
        return region.clamped(snapshotBounds);
    }
    const double sx = static_cast<double>(snapshotWidth) / static_cast<double>(referenceImageWidth);
    const double sy = static_cast<double>(snapshotHeight) / static_cast<double>(referenceImageHeight);
    return region.scaled(sx, sy).clamped(snapshotBounds);
}

QVector<CaptureArea> areasCarriedOntoSnapshot(
    const CaptureAreaProfile &profile, std::int64_t snapshotWidth, std::int64_t snapshotHeight)
{
    QVector<CaptureArea> areas = profile.areas;
    for (CaptureArea &area : areas) {
        area.searchRegion = regionCarriedOntoSnapshot(area.searchRegion, profile.referenceImageWidth,
            profile.referenceImageHeight, snapshotWidth, snapshotHeight);
    }
    return areas;
}

CaptureRegion eyedropperSampleRegion(QPoint clickedPixel, const CaptureRegion &searchRegion)
{
    constexpr std::int64_t reach = eyedropperSampleSize / 2;
    const CaptureRegion square{static_cast<std::int64_t>(clickedPixel.x()) - reach,
        static_cast<std::int64_t>(clickedPixel.y()) - reach, eyedropperSampleSize, eyedropperSampleSize};
    return square.clamped(searchRegion);
}

} // namespace veyra
