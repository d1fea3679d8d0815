#pragma once

#include "translation/translations/TranslationCoordinatorEvent.h"
#include "translation/translations/TranslationTargetLanguage.h"

#include <QString>

#include <functional>
#include <optional>

namespace veyra {

// Translates the texts of capture areas, at most one live request per area. Nothing
// here throws or waits: every outcome arrives later (a refused text at once) through
// the event handler. Used on the GUI thread.
class TranslationCoordinating
{
public:
    using EventHandler = std::function<void(const TranslationCoordinatorEvent &)>;

    virtual ~TranslationCoordinating() = default;

    virtual const EventHandler &onEvent() const = 0;
    virtual void setOnEvent(EventHandler handler) = 0;

    // Translates the text unless it equals the area's latest request (force skips that
    // check); supersedes the area's running request.
    virtual void submitTranslation(const QString &areaID, const QString &text, const std::optional<QString> &gameTitle,
        TranslationTargetLanguage targetLanguage, bool force)
        = 0;
    // submitTranslation() with force: the same text is translated again.
    virtual void resubmitTranslation(const QString &areaID, const QString &text,
        const std::optional<QString> &gameTitle, TranslationTargetLanguage targetLanguage)
        = 0;
    // Cancels every running request and forgets every area's latest request; sends no
    // event.
    virtual void cancelAllTranslations() = 0;
};

} // namespace veyra
