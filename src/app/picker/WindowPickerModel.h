#pragma once

#include "capture/target/CaptureTarget.h"
#include "capture/windows/WindowCatalogProviding.h"
#include "foundation/errors/ErrorMessage.h"
#include "foundation/logging/Logger.h"

#include <QObject>
#include <QString>
#include <QVector>

#include <cstdint>
#include <memory>
#include <optional>

#include <qcoro/qcorotask.h>

namespace veyra {

// The state behind the window picker: the running applications with their selectable
// windows, the window the player selected (by window number, kept across a refresh while
// the same window of the same process is listed) and the check, on confirmation, that
// the window still exists. It knows nothing of the session; the picker passes the
// confirmed target on.
//
// The catalog answers asynchronously: a refresh publishes `loading` at once and its
// result when the catalog answers. A refresh superseded by a newer one, and a
// confirmation superseded by a newer confirmation, a refresh or another selection, is
// dropped when it resumes. GUI thread only.
class WindowPickerModel : public QObject
{
    Q_OBJECT

public:
    // Where loading stands. Two states are equal when they are the same case and, for
    // `failed`, their messages are equal.
    class State
    {
    public:
        enum class Kind {
            // Nothing has been loaded yet.
            idle,
            // A refresh is in progress.
            loading,
            // The last refresh succeeded (its list may be empty).
            loaded,
            // The last refresh failed; message() says why.
            failed,
        };

        static State idle() { return State(Kind::idle); }
        static State loading() { return State(Kind::loading); }
        static State loaded() { return State(Kind::loaded); }
        static State failed(ErrorMessage message) { return State(Kind::failed, std::move(message)); }

        Kind kind() const { return m_kind; }
        // The failure's message; none in the other cases.
        const std::optional<ErrorMessage> &message() const { return m_message; }

        bool operator==(const State &) const = default;

    private:
        explicit State(Kind kind, std::optional<ErrorMessage> message = std::nullopt)
            : m_kind(kind)
            , m_message(std::move(message))
        { }

        Kind m_kind;
        std::optional<ErrorMessage> m_message;
    };

    explicit WindowPickerModel(std::shared_ptr<WindowCatalogProviding> catalog, QObject *parent = nullptr);
    ~WindowPickerModel() override;

    const State &state() const { return m_state; }
    const QVector<CaptureApplicationGroup> &applicationGroups() const { return m_applicationGroups; }
    const std::optional<std::uint32_t> &selectedWindowID() const { return m_selectedWindowID; }
    // The message shown when a confirmation failed.
    const std::optional<ErrorMessage> &selectionError() const { return m_selectionError; }
    const std::shared_ptr<WindowCatalogProviding> &catalog() const { return m_catalog; }

    // The picker's row action writes these two directly. Unchanged values publish nothing.
    // A window chosen while a refresh runs is the one that refresh keeps selected.
    void setSelectedWindowID(std::optional<std::uint32_t> windowID);
    void setSelectionError(std::optional<ErrorMessage> message);

    // The first listed window (groups in order, windows in order) with the selected
    // window number; none without a selection or when no listed window has that number.
    std::optional<CaptureTarget> selectedTarget() const;
    // True exactly when the last refresh succeeded with no application listed.
    bool isEmpty() const;

    // Publishes `loading`, clears the selection error and asks the catalog again. When the
    // catalog answers: on failure an empty list, no selection and `failed`; on success the
    // new list, the selection set to the preferred target's window when a listed window
    // has its window number and process (none otherwise, and none without a preferred
    // target), then `loaded`. The player's latest choice wins: a row chosen while the
    // catalog is out replaces the preferred target. Never throws.
    void refresh(std::optional<CaptureTarget> preferredTarget);

    // The selected target when the catalog still lists it as available (clearing the
    // selection error); otherwise none, with the error set when a listed window was
    // selected but has gone. The list and the selection are left as they are. Yields none,
    // changing nothing, when the model is gone or the confirmation was superseded before
    // the catalog answered. Never throws.
    QCoro::Task<std::optional<CaptureTarget>> confirmSelection();

    // The window number of the first window (groups in order) with both the target's
    // window number and its process; none when there is none.
    static std::optional<std::uint32_t> matchingWindowID(
        const CaptureTarget &target, const QVector<CaptureApplicationGroup> &groups);

Q_SIGNALS:
    void stateChanged();
    void applicationGroupsChanged();
    void selectedWindowIDChanged();
    void selectionErrorChanged();

private:
    void setState(State state);
    void setApplicationGroups(QVector<CaptureApplicationGroup> groups);
    void publishSelectedWindowID(std::optional<std::uint32_t> windowID);
    void finishRefresh(std::optional<QVector<CaptureApplicationGroup>> groups, std::exception_ptr failure);

    const std::shared_ptr<WindowCatalogProviding> m_catalog;
    const Logger m_logger{"WindowPicker"};

    State m_state = State::idle();
    QVector<CaptureApplicationGroup> m_applicationGroups;
    std::optional<std::uint32_t> m_selectedWindowID;
    std::optional<ErrorMessage> m_selectionError;
    // The window the running refresh selects in its list when it is still listed there.
    std::optional<CaptureTarget> m_refreshPreferredTarget;

    // Identities of the newest refresh and of the newest confirmation; an answer that
    // resumes under an older identity is dropped.
    std::uint64_t m_refreshGeneration = 0;
    std::uint64_t m_confirmationGeneration = 0;
};

} // namespace veyra
