#pragma once

#include "foundation/async/Sleeper.h"
#include "translation/translations/TranslationProviding.h"

#include <memory>

namespace veyra {

// Canned translations for UI-testing mode: each answer comes after four seconds; two
// known texts have fixed translations, anything else is marked by language. The game
// title is ignored.
class FixtureTranslationProvider : public TranslationProviding
{
public:
    static constexpr std::chrono::milliseconds answerDelay{4000};

    explicit FixtureTranslationProvider(std::shared_ptr<Sleeper> sleeper = std::make_shared<TimerSleeper>());

    QCoro::Task<TranslationResponse> translate(QString text, std::optional<QString> gameTitle,
        TranslationTargetLanguage targetLanguage, CancellationToken token) override;

    // The canned translation of a text (matched exactly, without normalisation).
    static QString translatedText(const QString &text, TranslationTargetLanguage targetLanguage);

private:
    std::shared_ptr<Sleeper> m_sleeper;
};

} // namespace veyra
