#include "translation/session/GameplaySessionCoordinator.h"

namespace veyra {

GameplaySessionCoordinator::GameplaySessionCoordinator(std::shared_ptr<CaptureAreaStoring> captureAreaStore,
    std::shared_ptr<CapturePipelineRunning> capturePipeline,
    std::shared_ptr<TranslationCoordinating> translationCoordinator,
    std::shared_ptr<TranslationSettingsModel> translationSettings, std::shared_ptr<GameTitleStoring> gameTitleStore,
    std::shared_ptr<GameTitleResolving> gameTitleResolver, QObject *parent)
    : QObject(parent)
    , m_captureAreaStore(std::move(captureAreaStore))
    , m_capturePipeline(std::move(capturePipeline))
    , m_translationCoordinator(std::move(translationCoordinator))
    , m_translationSettings(std::move(translationSettings))
    , m_gameTitleStore(std::move(gameTitleStore))
    , m_gameTitleResolver(std::move(gameTitleResolver))
{ }

GameplaySessionCoordinator::~GameplaySessionCoordinator()
{
    // The request ends; its task finds the coordinator gone and applies nothing.
    if (m_gameTitleTask) {
        m_gameTitleTask->cancel();
    }
}

void GameplaySessionCoordinator::resolveGameTitle(const CaptureTarget &target)
{
    resetGameTitle();
    const std::optional<GameWindowProfileKey> key = target.profileKey();
    if (!key) {
        return;
    }
    m_selectedGameTitleKey = key;

    try {
        const std::optional<GameTitleResolution> cached = m_gameTitleStore->resolution(*key);
        if (cached && cached->extractedGameName() && cached->representativeGameName()) {
            m_representativeGameName = cached->representativeGameName();
            return;
        }
    } catch (const std::exception &error) {
        qCCritical(m_logger).noquote()
            << QStringLiteral("Game-title cache lookup failed: %1").arg(describeError(error));
    }

    if (!m_gameTitleResolver) {
        return;
    }
    const GameTitleWindowMetadata metadata(target);
    const QUuid requestID = QUuid::createUuid();
    m_gameTitleRequestID = requestID;
    m_gameTitleTask = startTaskOnActor(
        this,
        [resolver = m_gameTitleResolver, metadata, key = *key, requestID](
            QPointer<GameplaySessionCoordinator> self, CancellationToken token) -> QCoro::Task<void> {
            std::optional<GameTitleResolution> resolution;
            std::exception_ptr failure;
            try {
                resolution = co_await resolver->resolve(metadata, token);
            } catch (...) {
                failure = std::current_exception();
            }
            if (token.isCancelled() || isCancellation(failure) || !self) {
                co_return;
            }
            if (resolution) {
                self->applyGameTitleResolution(*resolution, key, requestID);
                co_return;
            }
            // A time-out is a failure like any other: only our own cancellation is quiet.
            qCCritical(self->m_logger).noquote()
                << QStringLiteral("Game-title resolution failed: %1").arg(describeError(failure));
            self->finishGameTitleRequest(requestID);
        },
        m_logger);
}

void GameplaySessionCoordinator::start(const CaptureTarget &target, const CaptureAreaProfile &profile)
{
    if (target.profileKey() != m_selectedGameTitleKey) {
        resolveGameTitle(target);
    }
    if (m_capturePipeline) {
        m_capturePipeline->start(target, profile);
    }
}

void GameplaySessionCoordinator::resetGameTitle()
{
    if (m_gameTitleTask) {
        m_gameTitleTask->cancel();
    }
    m_gameTitleTask.reset();
    m_gameTitleRequestID.reset();
    m_selectedGameTitleKey.reset();
    m_representativeGameName.reset();
}

void GameplaySessionCoordinator::applyGameTitleResolution(
    const GameTitleResolution &resolution, const GameWindowProfileKey &key, const QUuid &requestID)
{
    if (m_gameTitleRequestID != requestID) {
        return;
    }
    try {
        m_gameTitleStore->save(resolution, key);
    } catch (const std::exception &error) {
        qCCritical(m_logger).noquote() << QStringLiteral("Game-title cache save failed: %1").arg(describeError(error));
    }
    if (m_selectedGameTitleKey && *m_selectedGameTitleKey == key) {
        m_representativeGameName = resolution.representativeGameName();
    }
    finishGameTitleRequest(requestID);
}

void GameplaySessionCoordinator::finishGameTitleRequest(const QUuid &requestID)
{
    if (m_gameTitleRequestID == requestID) {
        m_gameTitleTask.reset();
        m_gameTitleRequestID.reset();
    }
}

CapturePipelineRunning::EventHandler forwardCaptureEventToGameplaySession(GameplaySessionCoordinator *coordinator)
{
    return [weak = QPointer<GameplaySessionCoordinator>(coordinator)](const CapturePipelineEvent &event) {
        if (!weak || !weak->onCaptureEvent()) {
            return;
        }
        // The handler may replace itself while it runs.
        const GameplaySessionCoordinator::CaptureEventHandler handler = weak->onCaptureEvent();
        handler(event);
    };
}

TranslationCoordinating::EventHandler forwardTranslationEventToGameplaySession(GameplaySessionCoordinator *coordinator)
{
    return [weak = QPointer<GameplaySessionCoordinator>(coordinator)](const TranslationCoordinatorEvent &event) {
        if (!weak || !weak->onTranslationEvent()) {
            return;
        }
        const GameplaySessionCoordinator::TranslationEventHandler handler = weak->onTranslationEvent();
        handler(event);
    };
}

} // namespace veyra
