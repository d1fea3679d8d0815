#include "translation/translations/FixtureTranslationProvider.h"

namespace veyra {

namespace {
const QString journey = QStringLiteral("The journey begins with a single decision.");
const QString fate = QStringLiteral("運命が動き出す");
} // namespace

FixtureTranslationProvider::FixtureTranslationProvider(std::shared_ptr<Sleeper> sleeper)
    : m_sleeper(std::move(sleeper))
{ }

QString FixtureTranslationProvider::translatedText(const QString &text, TranslationTargetLanguage targetLanguage)
{
    switch (targetLanguage) {
    case TranslationTargetLanguage::korean:
        if (text == journey) {
            return QStringLiteral("여정은 하나의 결정에서 시작됩니다.");
        }
        if (text == fate) {
            return QStringLiteral("운명이 움직이기 시작합니다.");
        }
        return QStringLiteral("번역: ") + text;
    case TranslationTargetLanguage::japanese:
        return QStringLiteral("翻訳: ") + text;
    case TranslationTargetLanguage::english:
        break;
    }
    if (text == journey) {
        return QStringLiteral("The journey starts with one decision.");
    }
    if (text == fate) {
        return QStringLiteral("Fate begins to move.");
    }
    return text;
}

QCoro::Task<TranslationResponse> FixtureTranslationProvider::translate(
    QString text, std::optional<QString> gameTitle, TranslationTargetLanguage targetLanguage, CancellationToken token)
{
    Q_UNUSED(gameTitle);
    const std::shared_ptr<Sleeper> sleeper = m_sleeper;
    co_await sleeper->sleepFor(answerDelay, token);
    TranslationResponse response;
    response.translationID = QUuid::createUuid();
    response.sourceText = text;
    response.translatedText = translatedText(text, targetLanguage);
    response.sourceLanguage = QStringLiteral("auto");
    response.targetLanguage = targetLanguage;
    response.fromCache = false;
    co_return response;
}

} // namespace veyra
