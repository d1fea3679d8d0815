#pragma once

#include "account/profile/CurrentUser.h"
#include "account/web/WebPageOpening.h"
#include "foundation/errors/ErrorMessage.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

namespace veyra {

// What the settings window's Account section needs of the application session: the
// signed-in account, the progress and failure of the refresh the window asks for, and the
// opener of the service's web pages. The application session implements it; each change
// of a value is announced by its signal. GUI thread.
class SettingsAccountProviding : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // The signed-in account, once its profile is known.
    virtual const std::optional<CurrentUser> &currentUser() const = 0;
    // True while a refresh asked for by refreshAccountProfile() runs.
    virtual bool isRefreshingAccount() const = 0;
    // The message of the last failed refresh; cleared when the next refresh starts and at
    // sign-out.
    virtual const std::optional<ErrorMessage> &accountRefreshError() const = 0;
    // False in the phases of authentication (restoring the saved sign-in, signed out,
    // authenticating, web registration required, authentication unavailable or not
    // configured); true once signed in, from the permission check on and during play.
    virtual bool isSignedIn() const = 0;

    // Fetches the account's profile again without making the caller wait; ignored while
    // a refresh runs.
    virtual void refreshAccountProfile() = 0;
    // The opener of the service's web pages; may be empty.
    virtual const std::shared_ptr<WebPageOpening> &webPageOpener() const = 0;

Q_SIGNALS:
    void currentUserChanged();
    void isRefreshingAccountChanged();
    void accountRefreshErrorChanged();
};

} // namespace veyra
