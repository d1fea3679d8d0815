#pragma once

#include "foundation/async/TaskOnActor.h"
#include "foundation/logging/Logger.h"
#include "translation/translations/TranslationCoordinating.h"
#include "translation/translations/TranslationProviding.h"
#include "translation/translations/TranslationRequestIdentity.h"

#include <QHash>
#include <QObject>

#include <memory>

namespace veyra {

// Keeps at most one live translation request per capture area. A new text for an area
// cancels the area's running request (its connection is aborted); each request has a
// fresh identity, and its outcome is delivered only while it is still the area's latest
// request, so a superseded result is dropped silently. Requests begin on a later turn
// of the event loop, so no outcome but a refusal arrives inside submitTranslation().
// Texts are normalised first; an empty one is ignored, one over 4000 characters fails
// at once without a request, and one equal (in NFC) to the area's latest request is not
// sent again unless forced.
class TranslationCoordinator : public QObject, public TranslationCoordinating
{
    Q_OBJECT

public:
    explicit TranslationCoordinator(std::shared_ptr<TranslationProviding> provider, QObject *parent = nullptr);
    ~TranslationCoordinator() override;

    const EventHandler &onEvent() const override { return m_onEvent; }
    void setOnEvent(EventHandler handler) override { m_onEvent = std::move(handler); }

    void submitTranslation(const QString &areaID, const QString &text, const std::optional<QString> &gameTitle,
        TranslationTargetLanguage targetLanguage, bool force) override;
    void resubmitTranslation(const QString &areaID, const QString &text, const std::optional<QString> &gameTitle,
        TranslationTargetLanguage targetLanguage) override;
    void cancelAllTranslations() override;

    const std::shared_ptr<TranslationProviding> &provider() const { return m_provider; }
    // The latest request of the area; it stays after its outcome was delivered.
    std::optional<TranslationRequestIdentity> latestRequest(const QString &areaID) const;
    // True while the area's latest request runs.
    bool isTranslating(const QString &areaID) const { return m_tasks.contains(areaID); }

private:
    void startRequest(const QString &areaID, const TranslationRequestIdentity &identity);
    void deliver(const QString &areaID, const TranslationRequestIdentity &identity,
        const std::optional<TranslationResponse> &response);
    void send(const TranslationCoordinatorEvent &event);

    EventHandler m_onEvent;
    const std::shared_ptr<TranslationProviding> m_provider;
    Logger m_logger{"Translation"};
    QHash<QString, ActorTask> m_tasks;
    QHash<QString, TranslationRequestIdentity> m_latestRequests;
};

} // namespace veyra
