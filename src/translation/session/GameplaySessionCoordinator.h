#pragma once

#include "capture/areas/CaptureAreaStoring.h"
#include "capture/pipeline/CapturePipelineRunning.h"
#include "foundation/async/TaskOnActor.h"
#include "foundation/logging/Logger.h"
#include "translation/titles/GameTitleResolving.h"
#include "translation/titles/GameTitleStoring.h"
#include "translation/translations/TranslationCoordinating.h"
#include "translation/translations/TranslationSettingsModel.h"

#include <QObject>
#include <QPointer>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

namespace veyra {

// Holds the services of a gameplay session together (one coordinator per process,
// reused by every session): finds the title of the chosen game window, first in the
// game-title cache and otherwise from the server, and keeps the game's representative
// name for the session's translations; starts the capture loop; and is the one place
// through which the capture loop's and the translation coordinator's events reach the
// application session (onCaptureEvent, onTranslationEvent).
//
// Only the latest title resolution counts: each has a request identity, and a result
// is applied only while that is still gameTitleRequestID(). Title failures never stop
// or delay a session; they only reach the log ("GameTitle"). GUI thread only.
class GameplaySessionCoordinator : public QObject
{
    Q_OBJECT

public:
    using CaptureEventHandler = std::function<void(const CapturePipelineEvent &)>;
    using TranslationEventHandler = std::function<void(const TranslationCoordinatorEvent &)>;

    // The capture loop, the translation coordinator and the resolver may be absent: then
    // nothing is captured, nothing is translated, or titles come from the cache only.
    GameplaySessionCoordinator(std::shared_ptr<CaptureAreaStoring> captureAreaStore,
        std::shared_ptr<CapturePipelineRunning> capturePipeline,
        std::shared_ptr<TranslationCoordinating> translationCoordinator,
        std::shared_ptr<TranslationSettingsModel> translationSettings, std::shared_ptr<GameTitleStoring> gameTitleStore,
        std::shared_ptr<GameTitleResolving> gameTitleResolver, QObject *parent = nullptr);
    ~GameplaySessionCoordinator() override;

    // Installed by the application session; called synchronously on the GUI thread.
    const CaptureEventHandler &onCaptureEvent() const { return m_onCaptureEvent; }
    void setOnCaptureEvent(CaptureEventHandler handler) { m_onCaptureEvent = std::move(handler); }
    const TranslationEventHandler &onTranslationEvent() const { return m_onTranslationEvent; }
    void setOnTranslationEvent(TranslationEventHandler handler) { m_onTranslationEvent = std::move(handler); }

    // Forgets the title state and finds the title of the target's game window: from the
    // cache when it holds both names, otherwise from the server in the background.
    void resolveGameTitle(const CaptureTarget &target);
    // Resolves the title again only when the target is another game window than the
    // selected one, then starts the capture loop.
    void start(const CaptureTarget &target, const CaptureAreaProfile &profile);
    // Cancels the running resolution and forgets the title state.
    void resetGameTitle();

    const std::shared_ptr<CaptureAreaStoring> &captureAreaStore() const { return m_captureAreaStore; }
    const std::shared_ptr<CapturePipelineRunning> &capturePipeline() const { return m_capturePipeline; }
    const std::shared_ptr<TranslationCoordinating> &translationCoordinator() const { return m_translationCoordinator; }
    const std::shared_ptr<TranslationSettingsModel> &translationSettings() const { return m_translationSettings; }
    const std::shared_ptr<GameTitleStoring> &gameTitleStore() const { return m_gameTitleStore; }
    const std::shared_ptr<GameTitleResolving> &gameTitleResolver() const { return m_gameTitleResolver; }

    const std::optional<ActorTask> &gameTitleTask() const { return m_gameTitleTask; }
    const std::optional<QUuid> &gameTitleRequestID() const { return m_gameTitleRequestID; }
    const std::optional<GameWindowProfileKey> &selectedGameTitleKey() const { return m_selectedGameTitleKey; }
    // The title every translation of the session carries; absent until resolved.
    const std::optional<QString> &representativeGameName() const { return m_representativeGameName; }

private:
    void applyGameTitleResolution(
        const GameTitleResolution &resolution, const GameWindowProfileKey &key, const QUuid &requestID);
    void finishGameTitleRequest(const QUuid &requestID);

    CaptureEventHandler m_onCaptureEvent;
    TranslationEventHandler m_onTranslationEvent;
    const std::shared_ptr<CaptureAreaStoring> m_captureAreaStore;
    const std::shared_ptr<CapturePipelineRunning> m_capturePipeline;
    const std::shared_ptr<TranslationCoordinating> m_translationCoordinator;
    const std::shared_ptr<TranslationSettingsModel> m_translationSettings;
    const std::shared_ptr<GameTitleStoring> m_gameTitleStore;
    const std::shared_ptr<GameTitleResolving> m_gameTitleResolver;
    const Logger m_logger{"GameTitle"};
    std::optional<ActorTask> m_gameTitleTask;
    std::optional<QUuid> m_gameTitleRequestID;
    std::optional<GameWindowProfileKey> m_selectedGameTitleKey;
    std::optional<QString> m_representativeGameName;
};

// The onEvent of the capture loop: passes each event on to the coordinator's
// onCaptureEvent while the coordinator exists and has one. Holds it weakly.
CapturePipelineRunning::EventHandler forwardCaptureEventToGameplaySession(GameplaySessionCoordinator *coordinator);

// The onEvent of the translation coordinator: the same for onTranslationEvent.
TranslationCoordinating::EventHandler forwardTranslationEventToGameplaySession(GameplaySessionCoordinator *coordinator);

} // namespace veyra
