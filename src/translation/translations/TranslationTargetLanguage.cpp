#include "translation/translations/TranslationTargetLanguage.h"

#include "foundation/json/JsonDecoding.h"
#include "foundation/language/ClientLanguage.h"

namespace veyra {

QString rawValue(TranslationTargetLanguage language)
{
    switch (language) {
    case TranslationTargetLanguage::korean:
        return QStringLiteral("ko");
    case TranslationTargetLanguage::japanese:
        return QStringLiteral("ja");
    case TranslationTargetLanguage::english:
        break;
    }
    return QStringLiteral("en");
}

std::optional<TranslationTargetLanguage> translationTargetLanguageFromRawValue(const QString &code)
{
    for (TranslationTargetLanguage language : allTranslationTargetLanguages) {
        if (rawValue(language) == code) {
            return language;
        }
    }
    return std::nullopt;
}

QJsonValue toJson(TranslationTargetLanguage language)
{
    return rawValue(language);
}

TranslationTargetLanguage translationTargetLanguageFromJson(const QJsonValue &value)
{
    if (!value.isString()) {
        throw DecodingError(QStringLiteral("a target language is not a string"));
    }
    const auto language = translationTargetLanguageFromRawValue(value.toString());
    if (!language) {
        throw DecodingError(QStringLiteral("unknown target language \"%1\"").arg(value.toString()));
    }
    return *language;
}

TranslationTargetLanguage defaultTranslationTargetLanguage(const QStringList &preferredLanguages)
{
    // The interface language reads locale identifiers by the same rule; only the
    // mapping is shared, never the chosen values.
    for (const QString &identifier : preferredLanguages) {
        if (const auto language = clientLanguageFromLocaleIdentifier(identifier)) {
            return *translationTargetLanguageFromRawValue(rawValue(*language));
        }
    }
    return TranslationTargetLanguage::english;
}

} // namespace veyra
