#pragma once

#include "capture/areas/CaptureAreaEditorRules.h"
#include "capture/areas/CaptureAreaStoring.h"
#include "capture/recognition/DialogueBackgroundPatternAnalyzing.h"
#include "capture/target/CaptureTarget.h"
#include "capture/windows/WindowSnapshotCapturing.h"

#include <QObject>
#include <QPointF>
#include <QString>
#include <QVector>

#include <qcoro/qcorotask.h>

#include <cstdint>
#include <memory>
#include <optional>

namespace veyra {

// The logic of the capture-area editor window: takes one snapshot of the chosen game
// window, loads the saved capture areas of that game window and fits them to the
// snapshot, lets the user add, select, rename, move, resize and delete areas and sample
// each area's background colour, checks the result and saves it through the store.
// Lives on the GUI thread; only `load` waits (for the snapshot, taken off the GUI thread
// by the snapshotter).
class CaptureAreaEditorModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isPickingBackground READ isPickingBackground NOTIFY isPickingBackgroundChanged)

public:
    struct State
    {
        enum class Kind { failed, idle, loading, ready };

        Kind kind = Kind::idle;
        // For `failed`: the message to show, and whether the window is gone (the editor
        // then offers another window instead of trying again).
        std::optional<ErrorMessage> message;
        bool targetUnavailable = false;

        static State failed(ErrorMessage message, bool targetUnavailable)
        {
            return {Kind::failed, std::move(message), targetUnavailable};
        }
        bool operator==(const State &) const = default;
    };

    CaptureAreaEditorModel(std::shared_ptr<WindowSnapshotCapturing> snapshotter,
        std::shared_ptr<CaptureAreaStoring> store, QObject *parent = nullptr);
    ~CaptureAreaEditorModel() override;

    const State &state() const { return m_state; }
    const std::optional<CapturedWindowSnapshot> &snapshot() const { return m_snapshot; }
    const QVector<CaptureAreaDraft> &areas() const { return m_areas; }
    const std::optional<QString> &selection() const { return m_selection; }
    bool isPickingBackground() const { return m_isPickingBackground; }
    const std::optional<ErrorMessage> &persistenceError() const { return m_persistenceError; }

    const std::shared_ptr<WindowSnapshotCapturing> &snapshotter() const { return m_snapshotter; }
    const std::shared_ptr<CaptureAreaStoring> &store() const { return m_store; }
    const DialogueBackgroundPatternAnalyzing &patternAnalyzer() const { return *m_patternAnalyzer; }
    const std::optional<CaptureTarget> &target() const { return m_target; }
    const std::optional<GameWindowProfileKey> &profileKey() const { return m_profileKey; }

    // Takes a snapshot of the target and loads its saved areas onto it. Without `force`
    // it does nothing unless the editor is idle. A load that a later load or reset()
    // overtook while it waited for its snapshot ends without any effect.
    QCoro::Task<void> load(CaptureTarget target, bool force);

    // Changes the selection; ignored while the eyedropper is armed, unless it names the
    // selected area again.
    void select(const std::optional<QString> &id);
    // Appends a new area in the middle of the snapshot and selects it.
    void addArea();
    void deleteSelectedArea();
    // Renames the selected area to the text as typed (checked only when saving); refused
    // when another area already has that id.
    void renameSelectedArea(const QString &newID);
    // Moves or resizes one area; the region is clamped into the snapshot.
    void updateRegion(const CaptureRegion &region, const QString &boxID);
    // Arms or disarms the eyedropper for the selected area.
    void toggleBackgroundPicking();
    // Samples the selected area's background around a snapshot-pixel point (unrounded).
    void pickBackground(QPointF point);

    // The message of the first rule the areas break, or nothing.
    std::optional<QString> validationMessage() const;
    // Validates and writes the profile; false when nothing was written.
    bool save();
    // Forgets everything (the window was closed).
    void reset();

    // The draft named by the selection, if any.
    std::optional<CaptureAreaDraft> selectedArea() const;
    // "Dialogue Search", localised, while an area is selected.
    std::optional<QString> selectedAreaTypeName() const;

Q_SIGNALS:
    void stateChanged();
    void snapshotChanged();
    void areasChanged();
    void selectionChanged();
    void isPickingBackgroundChanged();
    void persistenceErrorChanged();

private:
    QString nextBoxID() const;
    void setState(State state);
    void setSnapshot(std::optional<CapturedWindowSnapshot> snapshot);
    void setAreas(QVector<CaptureAreaDraft> areas);
    void setSelection(std::optional<QString> selection);
    void setPickingBackground(bool picking);
    void setPersistenceError(std::optional<ErrorMessage> message);
    std::optional<qsizetype> indexOfArea(const QString &id) const;
    CaptureRegion snapshotBounds() const;

    State m_state;
    std::optional<CapturedWindowSnapshot> m_snapshot;
    QVector<CaptureAreaDraft> m_areas;
    std::optional<QString> m_selection;
    bool m_isPickingBackground = false;
    std::optional<ErrorMessage> m_persistenceError;

    std::shared_ptr<WindowSnapshotCapturing> m_snapshotter;
    std::shared_ptr<CaptureAreaStoring> m_store;
    std::unique_ptr<DialogueBackgroundPatternAnalyzing> m_patternAnalyzer;
    std::optional<CaptureTarget> m_target;
    std::optional<GameWindowProfileKey> m_profileKey;
    // Identifies the newest load; a load or reset() advances it.
    std::uint64_t m_loadGeneration = 0;
};

// The localised name of the one kind of capture area, "Dialogue Search".
QString dialogueSearchTypeName();

} // namespace veyra
