#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace veyra {

// The interface language. The order of the cases is the order of the settings picker.
enum class ClientLanguage { korean, japanese, english };

inline constexpr std::array<ClientLanguage, 3> allClientLanguages{
    ClientLanguage::korean, ClientLanguage::japanese, ClientLanguage::english};

// "ko", "ja" or "en".
QString rawValue(ClientLanguage language);

// The case whose raw value equals code exactly (case-sensitive), if any.
std::optional<ClientLanguage> clientLanguageFromRawValue(const QString &code);

// Maps one language or locale identifier ("ko-KR", "JA_jp", " en ") to a language:
// the part before the first "-" or "_", lower-cased, compared with the raw values.
std::optional<ClientLanguage> clientLanguageFromLocaleIdentifier(const QString &identifier);

// The first preferred identifier that maps to a language, else English.
ClientLanguage defaultClientLanguage(const QStringList &preferredLanguages);

// The process-wide interface language read by localizedString(). English at start;
// written only on the GUI thread, readable from any thread.
ClientLanguage currentClientLanguage();
void setCurrentClientLanguage(ClientLanguage language);

// The locale named by the current interface language's code ("ko", "ja" or "en"): the
// locale of every view, so that numbers and dates follow the interface language.
QLocale currentClientLanguageLocale();

// The user's preferred languages, most preferred first, as the system reports them.
QStringList systemPreferredLanguages();

} // namespace veyra
