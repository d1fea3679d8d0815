#include "app/picker/WindowPickerModel.h"

#include "foundation/async/AsyncTask.h"
#include "foundation/errors/Error.h"
#include "foundation/language/LocalizedString.h"

#include <QPointer>

#include <utility>

namespace veyra {

WindowPickerModel::WindowPickerModel(std::shared_ptr<WindowCatalogProviding> catalog, QObject *parent)
    : QObject(parent)
    , m_catalog(std::move(catalog))
{ }

WindowPickerModel::~WindowPickerModel() = default;

void WindowPickerModel::setSelectedWindowID(std::optional<std::uint32_t> windowID)
{
    publishSelectedWindowID(windowID);
    if (m_state.kind() == State::Kind::loading) {
        // Chosen from the list still shown: the refresh's answer keeps this window.
        m_refreshPreferredTarget = selectedTarget();
    }
}

void WindowPickerModel::publishSelectedWindowID(std::optional<std::uint32_t> windowID)
{
    if (m_selectedWindowID == windowID) {
        return;
    }
    // A confirmation of the previous selection no longer answers for this one.
    ++m_confirmationGeneration;
    m_selectedWindowID = windowID;
    Q_EMIT selectedWindowIDChanged();
}

void WindowPickerModel::setSelectionError(std::optional<ErrorMessage> message)
{
    if (m_selectionError == message) {
        return;
    }
    m_selectionError = std::move(message);
    Q_EMIT selectionErrorChanged();
}

void WindowPickerModel::setState(State state)
{
    if (m_state == state) {
        return;
    }
    m_state = std::move(state);
    Q_EMIT stateChanged();
}

void WindowPickerModel::setApplicationGroups(QVector<CaptureApplicationGroup> groups)
{
    m_applicationGroups = std::move(groups);
    Q_EMIT applicationGroupsChanged();
}

std::optional<CaptureTarget> WindowPickerModel::selectedTarget() const
{
    if (!m_selectedWindowID) {
        return std::nullopt;
    }
    for (const CaptureApplicationGroup &group : m_applicationGroups) {
        for (const CaptureTarget &window : group.windows) {
            if (window.windowID == *m_selectedWindowID) {
                return window;
            }
        }
    }
    return std::nullopt;
}

bool WindowPickerModel::isEmpty() const
{
    return m_state.kind() == State::Kind::loaded && m_applicationGroups.isEmpty();
}

std::optional<std::uint32_t> WindowPickerModel::matchingWindowID(
    const CaptureTarget &target, const QVector<CaptureApplicationGroup> &groups)
{
    for (const CaptureApplicationGroup &group : groups) {
        for (const CaptureTarget &window : group.windows) {
            if (window.windowID == target.windowID && window.processID == target.processID) {
                return window.windowID;
            }
        }
    }
    return std::nullopt;
}

void WindowPickerModel::refresh(std::optional<CaptureTarget> preferredTarget)
{
    const std::uint64_t refreshID = ++m_refreshGeneration;
    // The list a pending confirmation was checked against is about to change.
    ++m_confirmationGeneration;
    m_refreshPreferredTarget = std::move(preferredTarget);
    setState(State::loading());
    setSelectionError(std::nullopt);

    startDetachedTask(
        this,
        [catalog = m_catalog, refreshID](QPointer<WindowPickerModel> self) -> QCoro::Task<void> {
            std::optional<QVector<CaptureApplicationGroup>> groups;
            std::exception_ptr failure;
            try {
                groups = co_await catalog->applicationGroups();
            } catch (const std::exception &) {
                failure = std::current_exception();
            }
            if (!self || self->m_refreshGeneration != refreshID) {
                co_return;
            }
            self->finishRefresh(std::move(groups), failure);
        },
        m_logger);
}

void WindowPickerModel::finishRefresh(
    std::optional<QVector<CaptureApplicationGroup>> groups, std::exception_ptr failure)
{
    const std::optional<CaptureTarget> preferredTarget = std::exchange(m_refreshPreferredTarget, std::nullopt);
    if (!groups) {
        setApplicationGroups({});
        publishSelectedWindowID(std::nullopt);
        setState(State::failed(ErrorMessage::describing(std::move(failure))));
        return;
    }
    setApplicationGroups(std::move(*groups));
    publishSelectedWindowID(preferredTarget ? matchingWindowID(*preferredTarget, m_applicationGroups) : std::nullopt);
    setState(State::loaded());
}

QCoro::Task<std::optional<CaptureTarget>> WindowPickerModel::confirmSelection()
{
    const std::optional<CaptureTarget> target = selectedTarget();
    if (!target) {
        co_return std::nullopt;
    }
    const std::uint64_t confirmationID = ++m_confirmationGeneration;
    const QPointer<WindowPickerModel> self(this);
    const std::shared_ptr<WindowCatalogProviding> catalog = m_catalog;
    const Logger logger = m_logger;

    bool available = false;
    try {
        available = co_await catalog->isAvailable(*target);
    } catch (const std::exception &error) {
        // A list that cannot be read cannot vouch for the window.
        qCWarning(logger) << "Checking the selected window failed:" << describeError(error);
    }
    if (!self || self->m_confirmationGeneration != confirmationID) {
        co_return std::nullopt;
    }
    if (!available) {
        setSelectionError(ErrorMessage::text(QT_TRANSLATE_NOOP(
            "Veyra", "The selected window is no longer available. Refresh the list and select it again.")));
        co_return std::nullopt;
    }
    setSelectionError(std::nullopt);
    co_return target;
}

} // namespace veyra
