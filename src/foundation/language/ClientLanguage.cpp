#include "foundation/language/ClientLanguage.h"

#include <QLocale>
#include <QRegularExpression>

#include <atomic>

namespace veyra {

namespace {
std::atomic<ClientLanguage> g_current{ClientLanguage::english};
}

QString rawValue(ClientLanguage language)
{
    switch (language) {
    case ClientLanguage::korean:
        return QStringLiteral("ko");
    case ClientLanguage::japanese:
        return QStringLiteral("ja");
    case ClientLanguage::english:
        break;
    }
    return QStringLiteral("en");
}

std::optional<ClientLanguage> clientLanguageFromRawValue(const QString &code)
{
    for (ClientLanguage language : allClientLanguages) {
        if (rawValue(language) == code) {
            return language;
        }
    }
    return std::nullopt;
}

std::optional<ClientLanguage> clientLanguageFromLocaleIdentifier(const QString &identifier)
{
    const QString trimmed = identifier.trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    static const QRegularExpression separators(QStringLiteral("[-_]"));
    const QStringList pieces = trimmed.split(separators, Qt::SkipEmptyParts);
    if (pieces.isEmpty()) {
        return std::nullopt;
    }
    return clientLanguageFromRawValue(pieces.first().toLower());
}

ClientLanguage defaultClientLanguage(const QStringList &preferredLanguages)
{
    for (const QString &identifier : preferredLanguages) {
        if (const auto language = clientLanguageFromLocaleIdentifier(identifier)) {
            return *language;
        }
    }
    return ClientLanguage::english;
}

ClientLanguage currentClientLanguage()
{
    return g_current.load(std::memory_order_relaxed);
}

void setCurrentClientLanguage(ClientLanguage language)
{
    g_current.store(language, std::memory_order_relaxed);
}

QLocale currentClientLanguageLocale()
{
    return QLocale(rawValue(currentClientLanguage()));
}

QStringList systemPreferredLanguages()
{
    return QLocale::system().uiLanguages();
}

} // namespace veyra
