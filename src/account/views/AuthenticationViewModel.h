#pragma once

#include "foundation/errors/ErrorMessage.h"

#include <QObject>
#include <QString>

#include <optional>

namespace veyra {

// What the sign-in screen tells apart of the application session's phase: the six
// authentication phases (authenticationUnavailable by its cause: the server, or the
// keyring that keeps the saved session), and every other phase alike.
enum class AuthenticationScreenPhase {
    restoringAuthentication,
    signedOut,
    authenticating,
    webRegistrationRequired,
    authenticationUnavailable,
    keyringUnavailable,
    authenticationConfigurationUnavailable,
    other,
};

// The actions the screen offers in a phase.
enum class AuthenticationScreenActions {
    none,
    progress,
    // The spinner, and "Cancel" to end the sign-in in progress.
    progressAndCancel,
    googleSignIn,
    webRegistration,
    retryAndQuit,
    quit,
};

// Everything the sign-in screen shows for a phase and an error, with the texts, the
// error's among them, worded in the current interface language.
struct AuthenticationViewContent
{
    bool isWebRegistrationLayout = false;
    // Measures of the layout, in pixels.
    int contentPadding = 40;
    int iconSize = 116;
    int spaceUnderIcon = 20;
    int spaceUnderEyebrow = 9;
    int titleSize = 30;
    int spaceAboveBody = 12;
    int spaceUnderBody = 24;

    QString eyebrow;
    QString title;
    QString body;
    AuthenticationScreenActions actions = AuthenticationScreenActions::none;
    bool showsNotice = false;
    bool showsSignedOutNote = false;
    bool showsWebRegistrationNote = false;
    std::optional<QString> error;

    bool operator==(const AuthenticationViewContent &) const = default;
};

AuthenticationViewContent authenticationViewContent(
    AuthenticationScreenPhase phase, const std::optional<ErrorMessage> &authenticationError);

// The state the sign-in screen shows: the phase and the last authentication error, set by
// the application session. GUI thread.
class AuthenticationViewModel : public QObject
{
    Q_OBJECT

public:
    explicit AuthenticationViewModel(QObject *parent = nullptr);

    AuthenticationScreenPhase phase() const { return m_phase; }
    void setPhase(AuthenticationScreenPhase phase);

    const std::optional<ErrorMessage> &authenticationError() const { return m_authenticationError; }
    void setAuthenticationError(std::optional<ErrorMessage> error);

    AuthenticationViewContent content() const { return authenticationViewContent(m_phase, m_authenticationError); }

Q_SIGNALS:
    void changed();

private:
    AuthenticationScreenPhase m_phase = AuthenticationScreenPhase::restoringAuthentication;
    std::optional<ErrorMessage> m_authenticationError;
};

} // namespace veyra
