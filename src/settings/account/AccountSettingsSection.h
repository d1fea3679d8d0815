#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QPushButton;

namespace veyra {

class AccountAvatar;
class SettingsAccountProviding;

// The Account section of the settings window: the signed-in account (avatar, name and
// e-mail), the buttons "Refresh", "Open Web Account" and "Customer Support", and, below
// them, the progress of a refresh and the message of a failed one. It keeps no state: it
// shows what the session publishes.
class AccountSettingsSection : public QWidget
{
    Q_OBJECT

public:
    static constexpr const char *refreshButtonName = "refresh-account";
    static constexpr const char *customerSupportButtonName = "open-customer-support";
    static constexpr const char *refreshingLineName = "account-refreshing";
    static constexpr const char *refreshErrorLineName = "account-refresh-error";

    explicit AccountSettingsSection(SettingsAccountProviding *session, QWidget *parent = nullptr);

    // Asks the session to refresh the account, only once signed in. Returns at once.
    void refreshAccount();

    // Looks every text up again in the current interface language.
    void retranslate();

private:
    QWidget *makeProfileRow();
    void showUser();
    void showRefreshState();

    QPointer<SettingsAccountProviding> m_session;
    QWidget *m_profileRow = nullptr;
    AccountAvatar *m_avatar = nullptr;
    QLabel *m_displayName = nullptr;
    QLabel *m_email = nullptr;
    QPushButton *m_refreshButton;
    QPushButton *m_webAccountButton;
    QPushButton *m_supportButton;
    QWidget *m_refreshingLine;
    QLabel *m_refreshingText;
    QLabel *m_errorLine;
};

} // namespace veyra
