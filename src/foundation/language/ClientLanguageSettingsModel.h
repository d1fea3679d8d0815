#pragma once

#include "foundation/language/ClientLanguage.h"
#include "foundation/language/ClientLanguageSettingsStoring.h"

#include <QObject>
#include <QStringList>

#include <memory>

namespace veyra {

class UserDefaults;

// The chosen interface language. Keeps the process-wide language of localizedString()
// equal to `language`, persists the choice through its store and, after each change it
// publishes, tells every view (announceInterfaceLanguageChange). `languageChanged` is the
// model's value for what shows or edits the setting itself; views relabel on
// QEvent::LanguageChange instead.
class ClientLanguageSettingsModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString languageCode READ languageCode NOTIFY languageChanged)

public:
    ClientLanguageSettingsModel(std::unique_ptr<ClientLanguageSettingsStoring> store,
        const QStringList &preferredLanguages, QObject *parent = nullptr);

    // The model of the running application: in fixture mode an in-memory store and the
    // preferred language "en-US"; otherwise the user defaults and the system's languages.
    static std::unique_ptr<ClientLanguageSettingsModel> make(bool isUITesting, UserDefaults &defaults);

    ClientLanguage language() const { return m_language; }
    QString languageCode() const { return rawValue(m_language); }
    ClientLanguage defaultLanguage() const { return m_defaultLanguage; }
    const ClientLanguageSettingsStoring &store() const { return *m_store; }

    void setLanguage(ClientLanguage language);
    void resetToDefault();

Q_SIGNALS:
    void languageChanged(veyra::ClientLanguage language);

private:
    std::unique_ptr<ClientLanguageSettingsStoring> m_store;
    ClientLanguage m_defaultLanguage;
    ClientLanguage m_language;
};

} // namespace veyra
