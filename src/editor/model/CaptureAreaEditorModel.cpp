#include "editor/model/CaptureAreaEditorModel.h"

#include "capture/recognition/DefaultDialogueBackgroundPatternAnalyzer.h"
#include "editor/geometry/CaptureRegionGestures.h"
#include "foundation/language/LocalizedString.h"

#include <QPointer>

#include <algorithm>
#include <climits>
#include <exception>

namespace veyra {

namespace {

const char *const unidentifiedApplicationMessage
    = QT_TRANSLATE_NOOP("Veyra", "Veyra couldn't identify the selected application.");
const char *const unanalyzableBackgroundMessage
    = QT_TRANSLATE_NOOP("Veyra", "Veyra couldn't analyze this background point.");

CaptureAreaEditorModel::State failureState(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const WindowSnapshotError &snapshotError) {
        return CaptureAreaEditorModel::State::failed(ErrorMessage::describing(std::current_exception()),
            snapshotError.kind() == WindowSnapshotError::Kind::targetUnavailable);
    } catch (const std::exception &) {
        return CaptureAreaEditorModel::State::failed(ErrorMessage::describing(std::current_exception()), false);
    } catch (...) {
        return CaptureAreaEditorModel::State::failed(
            ErrorMessage::describing(
                std::make_exception_ptr(WindowSnapshotError(WindowSnapshotError::Kind::captureFailed))),
            false);
    }
}

// A pixel coordinate of a click as an int; the sample is pulled into the area anyway, so
// a far-away coordinate only needs to stay far away.
int clampedCoordinate(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN / 2, INT_MAX / 2));
}

} // namespace

QString dialogueSearchTypeName()
{
    return localizedString(QT_TRANSLATE_NOOP("Veyra", "Dialogue Search"));
}

CaptureAreaEditorModel::CaptureAreaEditorModel(
    std::shared_ptr<WindowSnapshotCapturing> snapshotter, std::shared_ptr<CaptureAreaStoring> store, QObject *parent)
    : QObject(parent)
    , m_snapshotter(std::move(snapshotter))
    , m_store(std::move(store))
    , m_patternAnalyzer(std::make_unique<DefaultDialogueBackgroundPatternAnalyzer>())
{ }

CaptureAreaEditorModel::~CaptureAreaEditorModel() = default;

QCoro::Task<void> CaptureAreaEditorModel::load(CaptureTarget target, bool force)
{
    if (!force && m_state.kind != State::Kind::idle) {
        co_return;
    }
    const std::uint64_t generation = ++m_loadGeneration;
    setState({State::Kind::loading, {}, false});
    setPersistenceError(std::nullopt);
    m_target = target;

    const std::optional<GameWindowProfileKey> key = target.profileKey();
    if (!key) {
        setState(State::failed(ErrorMessage::text(unidentifiedApplicationMessage), false));
        co_return;
    }
    m_profileKey = key;

    // Kept in this frame: the model may go away while the snapshot is taken.
    const QPointer<CaptureAreaEditorModel> self(this);
    const std::shared_ptr<WindowSnapshotCapturing> snapshotter = m_snapshotter;
    std::optional<CapturedWindowSnapshot> snapshot;
    std::exception_ptr failure;
    try {
        snapshot = co_await snapshotter->capture(target);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self || m_loadGeneration != generation) {
        co_return;
    }

    std::optional<CaptureAreaProfile> profile;
    if (!failure) {
        try {
            profile = m_store->profile(*key);
        } catch (...) {
            failure = std::current_exception();
        }
    }
    if (failure) {
        setSnapshot(std::nullopt);
        setState(failureState(failure));
        co_return;
    }

    const QImage &image = snapshot->image;
    QVector<CaptureAreaDraft> drafts;
    if (profile) {
        for (const CaptureArea &area : areasCarriedOntoSnapshot(*profile, image.width(), image.height())) {
            drafts.append({area.id, area.searchRegion, area.backgroundPattern, std::nullopt});
        }
    }
    setSnapshot(std::move(snapshot));
    setAreas(std::move(drafts));
    setPickingBackground(false);
    setSelection(std::nullopt);
    setState({State::Kind::ready, {}, false});
}

void CaptureAreaEditorModel::select(const std::optional<QString> &id)
{
    if (m_isPickingBackground && id != m_selection) {
        return;
    }
    setSelection(id);
}

void CaptureAreaEditorModel::addArea()
{
    if (!m_snapshot) {
        return;
    }
    const QString id = nextBoxID();
    QVector<CaptureAreaDraft> areas = m_areas;
    areas.append(CaptureAreaDraft::centeredDefault(id, m_snapshot->image.width(), m_snapshot->image.height()));
    setAreas(std::move(areas));
    setSelection(id);
    setPersistenceError(std::nullopt);
}

void CaptureAreaEditorModel::deleteSelectedArea()
{
    if (!m_selection) {
        return;
    }
    QVector<CaptureAreaDraft> areas = m_areas;
    const QString selected = *m_selection;
    areas.removeIf([&selected](const CaptureAreaDraft &draft) { return draft.id == selected; });
    setAreas(std::move(areas));
    setSelection(std::nullopt);
    setPersistenceError(std::nullopt);
}

void CaptureAreaEditorModel::renameSelectedArea(const QString &newID)
{
    if (!m_selection) {
        return;
    }
    const std::optional<qsizetype> index = indexOfArea(*m_selection);
    if (!index) {
        return;
    }
    if (newID != *m_selection && indexOfArea(newID)) {
        setPersistenceError(ErrorMessage::text(QT_TRANSLATE_NOOP("Veyra", "Each box ID must be unique.")));
        return;
    }
    QVector<CaptureAreaDraft> areas = m_areas;
    areas[*index].id = newID;
    setAreas(std::move(areas));
    setSelection(newID);
    setPersistenceError(std::nullopt);
}

void CaptureAreaEditorModel::updateRegion(const CaptureRegion &region, const QString &boxID)
{
    if (!m_snapshot) {
        return;
    }
    const std::optional<qsizetype> index = indexOfArea(boxID);
    if (!index) {
        return;
    }
    const CaptureRegion clamped = region.clamped(snapshotBounds());
    if (m_areas[*index].searchRegion != clamped) {
        QVector<CaptureAreaDraft> areas = m_areas;
        areas[*index].searchRegion = clamped;
        setAreas(std::move(areas));
    }
    setPersistenceError(std::nullopt);
}

void CaptureAreaEditorModel::toggleBackgroundPicking()
{
    if (!m_snapshot || !selectedArea()) {
        return;
    }
    setPickingBackground(!m_isPickingBackground);
}

void CaptureAreaEditorModel::pickBackground(QPointF point)
{
    if (!m_snapshot || !m_selection) {
        return;
    }
    const std::optional<qsizetype> index = indexOfArea(*m_selection);
    if (!index) {
        return;
    }
    const QPoint centre(clampedCoordinate(roundedPixel(point.x())), clampedCoordinate(roundedPixel(point.y())));
    const CaptureRegion sample = eyedropperSampleRegion(centre, m_areas[*index].searchRegion);
    const auto result = m_patternAnalyzer->analyze(m_snapshot->image, sample);
    if (!result) {
        setPersistenceError(ErrorMessage::text(unanalyzableBackgroundMessage));
        return;
    }
    QVector<CaptureAreaDraft> areas = m_areas;
    areas[*index].backgroundPattern = result->first;
    areas[*index].backgroundSampleCoverage = result->second;
    setAreas(std::move(areas));
    setPickingBackground(false);
    setPersistenceError(std::nullopt);
}

std::optional<QString> CaptureAreaEditorModel::validationMessage() const
{
    try {
        validateCaptureAreaDrafts(m_areas);
    } catch (const CaptureAreaValidationError &error) {
        return error.localizedDescription();
    }
    return std::nullopt;
}

bool CaptureAreaEditorModel::save()
{
    if (!m_snapshot || validationMessage() || !m_profileKey) {
        return false;
    }
    const CaptureAreaProfile profile
        = captureAreaProfileForSaving(*m_profileKey, m_snapshot->image.width(), m_snapshot->image.height(), m_areas);
    try {
        m_store->save(profile);
    } catch (const std::exception &) {
        setPersistenceError(captureAreaSaveFailureMessage(std::current_exception()));
        return false;
    }
    setPersistenceError(std::nullopt);
    return true;
}

void CaptureAreaEditorModel::reset()
{
    ++m_loadGeneration;
    setState({});
    setSnapshot(std::nullopt);
    setAreas({});
    setSelection(std::nullopt);
    setPickingBackground(false);
    setPersistenceError(std::nullopt);
    m_target.reset();
    m_profileKey.reset();
}

std::optional<CaptureAreaDraft> CaptureAreaEditorModel::selectedArea() const
{
    if (!m_selection) {
        return std::nullopt;
    }
    const std::optional<qsizetype> index = indexOfArea(*m_selection);
    if (!index) {
        return std::nullopt;
    }
    return m_areas[*index];
}

std::optional<QString> CaptureAreaEditorModel::selectedAreaTypeName() const
{
    if (!selectedArea()) {
        return std::nullopt;
    }
    return dialogueSearchTypeName();
}

QString CaptureAreaEditorModel::nextBoxID() const
{
    for (qsizetype n = 1;; ++n) {
        QString id = QStringLiteral("box_%1").arg(n);
        if (!indexOfArea(id)) {
            return id;
        }
    }
}

std::optional<qsizetype> CaptureAreaEditorModel::indexOfArea(const QString &id) const
{
    for (qsizetype i = 0; i < m_areas.size(); ++i) {
        if (m_areas[i].id == id) {
            return i;
        }
    }
    return std::nullopt;
}

CaptureRegion CaptureAreaEditorModel::snapshotBounds() const
{
    const QImage &image = m_snapshot->image;
    return {0, 0, std::max(image.width(), 1), std::max(image.height(), 1)};
}

void CaptureAreaEditorModel::setState(State state)
{
    if (m_state != state) {
        m_state = std::move(state);
        Q_EMIT stateChanged();
    }
}

void CaptureAreaEditorModel::setSnapshot(std::optional<CapturedWindowSnapshot> snapshot)
{
    if (!m_snapshot && !snapshot) {
        return;
    }
    m_snapshot = std::move(snapshot);
    Q_EMIT snapshotChanged();
}

void CaptureAreaEditorModel::setAreas(QVector<CaptureAreaDraft> areas)
{
    if (m_areas != areas) {
        m_areas = std::move(areas);
        Q_EMIT areasChanged();
    }
}

void CaptureAreaEditorModel::setSelection(std::optional<QString> selection)
{
    if (m_selection != selection) {
        m_selection = std::move(selection);
        Q_EMIT selectionChanged();
    }
}

void CaptureAreaEditorModel::setPickingBackground(bool picking)
{
    if (m_isPickingBackground != picking) {
        m_isPickingBackground = picking;
        Q_EMIT isPickingBackgroundChanged();
    }
}

void CaptureAreaEditorModel::setPersistenceError(std::optional<ErrorMessage> message)
{
    if (m_persistenceError != message) {
        m_persistenceError = std::move(message);
        Q_EMIT persistenceErrorChanged();
    }
}

} // namespace veyra
