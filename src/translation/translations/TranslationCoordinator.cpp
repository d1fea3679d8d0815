#include "translation/translations/TranslationCoordinator.h"

#include "capture/target/GameWindowProfileKey.h"
#include "foundation/async/TaskOnActor.h"
#include "foundation/text/TextNormalization.h"
#include "translation/translations/TranslationText.h"

namespace veyra {

TranslationCoordinator::TranslationCoordinator(std::shared_ptr<TranslationProviding> provider, QObject *parent)
    : QObject(parent)
    , m_provider(std::move(provider))
{ }

TranslationCoordinator::~TranslationCoordinator()
{
    // The tasks find their owner gone and end without delivering anything.
    const auto tasks = std::exchange(m_tasks, {});
    for (const ActorTask &task : tasks) {
        task.cancel();
    }
}

void TranslationCoordinator::submitTranslation(const QString &areaID, const QString &text,
    const std::optional<QString> &gameTitle, TranslationTargetLanguage targetLanguage, bool force)
{
    const QString sourceText = collapseWhitespace(text);
    if (sourceText.isEmpty()) {
        return;
    }
    if (!force) {
        const auto latest = m_latestRequests.constFind(areaID);
        if (latest != m_latestRequests.constEnd() && canonicallyEqual(latest->sourceText, sourceText)) {
            return;
        }
    }
    if (const auto running = m_tasks.constFind(areaID); running != m_tasks.constEnd()) {
        const ActorTask superseded = *running;
        m_tasks.erase(running);
        superseded.cancel();
    }
    const TranslationRequestIdentity identity{QUuid::createUuid(), sourceText, gameTitle, targetLanguage};
    m_latestRequests.insert(areaID, identity);
    if (exceedsTranslationTextLimit(sourceText)) {
        // The identity stays, so the same over-long text is not refused twice.
        send(TranslationCoordinatorEvent::failed(areaID, sourceText));
        return;
    }
    startRequest(areaID, identity);
}

void TranslationCoordinator::resubmitTranslation(const QString &areaID, const QString &text,
    const std::optional<QString> &gameTitle, TranslationTargetLanguage targetLanguage)
{
    submitTranslation(areaID, text, gameTitle, targetLanguage, true);
}

void TranslationCoordinator::cancelAllTranslations()
{
    const auto tasks = std::exchange(m_tasks, {});
    m_latestRequests.clear();
    for (const ActorTask &task : tasks) {
        task.cancel();
    }
}

std::optional<TranslationRequestIdentity> TranslationCoordinator::latestRequest(const QString &areaID) const
{
    const auto it = m_latestRequests.constFind(areaID);
    if (it == m_latestRequests.constEnd()) {
        return std::nullopt;
    }
    return *it;
}

void TranslationCoordinator::startRequest(const QString &areaID, const TranslationRequestIdentity &identity)
{
    // The request begins on a later turn of the event loop, so that even an outcome known
    // at once (an unavailable provider) arrives after submitTranslation() has returned.
    m_tasks.insert(areaID,
        startTaskOnActor(
            this,
            [provider = m_provider, areaID, identity](
                QPointer<TranslationCoordinator> self, CancellationToken token) -> QCoro::Task<void> {
                std::optional<TranslationResponse> response;
                std::exception_ptr failure;
                try {
                    response = co_await provider->translate(
                        identity.sourceText, identity.gameTitle, identity.targetLanguage, token);
                } catch (...) {
                    failure = std::current_exception();
                }
                if (token.isCancelled() || isCancellation(failure) || !self) {
                    co_return;
                }
                if (failure) {
                    qCCritical(self->m_logger).noquote()
                        << QStringLiteral("Translation failed: %1").arg(describeError(failure));
                }
                self->deliver(areaID, identity, response);
            },
            m_logger));
}

void TranslationCoordinator::deliver(const QString &areaID, const TranslationRequestIdentity &identity,
    const std::optional<TranslationResponse> &response)
{
    const auto latest = m_latestRequests.constFind(areaID);
    if (latest == m_latestRequests.constEnd() || *latest != identity) {
        return;
    }
    m_tasks.remove(areaID);
    if (!response) {
        send(TranslationCoordinatorEvent::failed(areaID, identity.sourceText));
        return;
    }
    const QString translatedText = cleanTranslatedText(response->translatedText);
    if (translatedText.isEmpty()) {
        send(TranslationCoordinatorEvent::failed(areaID, identity.sourceText));
        return;
    }
    send(TranslationCoordinatorEvent::succeeded(areaID,
        CompletedTranslation{response->translationID, identity.sourceText, translatedText, identity.gameTitle,
            identity.targetLanguage}));
}

void TranslationCoordinator::send(const TranslationCoordinatorEvent &event)
{
    if (!m_onEvent) {
        return;
    }
    // The handler may replace itself or submit more texts while it runs.
    const EventHandler handler = m_onEvent;
    handler(event);
}

} // namespace veyra
