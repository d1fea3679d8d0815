#pragma once

#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace veyra {

// The language every translation is made into. The order of the cases is the order of
// the settings picker.
enum class TranslationTargetLanguage { korean, japanese, english };

inline constexpr std::array<TranslationTargetLanguage, 3> allTranslationTargetLanguages{
    TranslationTargetLanguage::korean, TranslationTargetLanguage::japanese, TranslationTargetLanguage::english};

// "ko", "ja" or "en": the identity of the language and its value on the wire.
QString rawValue(TranslationTargetLanguage language);

// The case whose raw value equals the code exactly (case-sensitive, untrimmed), if any.
std::optional<TranslationTargetLanguage> translationTargetLanguageFromRawValue(const QString &code);

// The JSON string of the raw value, and back; decoding anything but one of the three
// strings throws DecodingError.
QJsonValue toJson(TranslationTargetLanguage language);
TranslationTargetLanguage translationTargetLanguageFromJson(const QJsonValue &value);

// The language of the first preferred identifier ("ko-KR", "JA_jp", " en ") that names
// one of the three; English when none does.
TranslationTargetLanguage defaultTranslationTargetLanguage(const QStringList &preferredLanguages);

inline size_t qHash(TranslationTargetLanguage language, size_t seed = 0)
{
    return ::qHash(rawValue(language), seed);
}

} // namespace veyra
