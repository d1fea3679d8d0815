#pragma once

#include "account/web/WebPageOpening.h"
#include "settings/account/SettingsAccountProviding.h"

#include <QStringList>

namespace veyra::test {

// Records the pages asked for instead of opening a browser.
class RecordingWebPageOpener : public WebPageOpening
{
public:
    void openHomePage() override { opened.append(QStringLiteral("home")); }
    void openSignUpPage() override { opened.append(QStringLiteral("signup")); }
    void openAccountPage() override { opened.append(QStringLiteral("account")); }
    void openSupportInquiriesPage() override { opened.append(QStringLiteral("account/inquiries")); }

    QStringList opened;
};

// The application session as the settings window sees it: the test sets each value
// (announcing it as the session does) and reads how often a refresh was asked for.
class FakeSettingsAccount : public SettingsAccountProviding
{
public:
    const std::optional<CurrentUser> &currentUser() const override { return m_user; }
    bool isRefreshingAccount() const override { return m_refreshing; }
    const std::optional<ErrorMessage> &accountRefreshError() const override { return m_error; }
    bool isSignedIn() const override { return signedIn; }
    void refreshAccountProfile() override { ++refreshRequests; }
    const std::shared_ptr<WebPageOpening> &webPageOpener() const override { return opener; }

    void setCurrentUser(std::optional<CurrentUser> user)
    {
        m_user = std::move(user);
        Q_EMIT currentUserChanged();
    }
    void setRefreshing(bool refreshing)
    {
        m_refreshing = refreshing;
        Q_EMIT isRefreshingAccountChanged();
    }
    void setRefreshError(std::optional<ErrorMessage> error)
    {
        m_error = std::move(error);
        Q_EMIT accountRefreshErrorChanged();
    }

    bool signedIn = true;
    int refreshRequests = 0;
    std::shared_ptr<RecordingWebPageOpener> recorder = std::make_shared<RecordingWebPageOpener>();
    std::shared_ptr<WebPageOpening> opener = recorder;

private:
    std::optional<CurrentUser> m_user;
    bool m_refreshing = false;
    std::optional<ErrorMessage> m_error;
};

} // namespace veyra::test
