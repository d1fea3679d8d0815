#include "account/views/AuthenticationViewModel.h"

#include "foundation/language/LocalizedString.h"

namespace veyra {

namespace {

const char *const standardBody
    = QT_TRANSLATE_NOOP("Veyra", "Translate dialogue and understand your game without leaving the moment.");

QString bodyFor(AuthenticationScreenPhase phase)
{
    switch (phase) {
    case AuthenticationScreenPhase::restoringAuthentication:
        return localizedString(QT_TRANSLATE_NOOP("Veyra", "Restoring your session…"));
    case AuthenticationScreenPhase::authenticating:
        return localizedString(QT_TRANSLATE_NOOP("Veyra", "Signing in…"));
    case AuthenticationScreenPhase::webRegistrationRequired:
        return localizedString(QT_TRANSLATE_NOOP("Veyra",
            "Veyra is available to users aged 14 and older. Review the Terms of Service and privacy consent on the "
            "web, complete sign-up, then return to the app and try Google sign-in again."));
    case AuthenticationScreenPhase::authenticationUnavailable:
        return localizedString(QT_TRANSLATE_NOOP("Veyra",
            "The authentication server is temporarily unavailable. Your saved session is still on this computer."));
    case AuthenticationScreenPhase::keyringUnavailable:
        return localizedString(QT_TRANSLATE_NOOP("Veyra",
            "The keyring that keeps your sign-in isn't answering or is locked. Your saved session is still on this "
            "computer."));
    case AuthenticationScreenPhase::authenticationConfigurationUnavailable:
        return localizedString(QT_TRANSLATE_NOOP("Veyra", "Google authentication isn't configured for this build."));
    case AuthenticationScreenPhase::signedOut:
    case AuthenticationScreenPhase::other:
        break;
    }
    return localizedString(standardBody);
}

AuthenticationScreenActions actionsFor(AuthenticationScreenPhase phase)
{
    switch (phase) {
    case AuthenticationScreenPhase::restoringAuthentication:
        return AuthenticationScreenActions::progress;
    case AuthenticationScreenPhase::authenticating:
        // The browser may have been closed, or the player changed their mind.
        return AuthenticationScreenActions::progressAndCancel;
    case AuthenticationScreenPhase::signedOut:
        return AuthenticationScreenActions::googleSignIn;
    case AuthenticationScreenPhase::webRegistrationRequired:
        return AuthenticationScreenActions::webRegistration;
    case AuthenticationScreenPhase::authenticationUnavailable:
    case AuthenticationScreenPhase::keyringUnavailable:
        return AuthenticationScreenActions::retryAndQuit;
    case AuthenticationScreenPhase::authenticationConfigurationUnavailable:
        return AuthenticationScreenActions::quit;
    case AuthenticationScreenPhase::other:
        break;
    }
    return AuthenticationScreenActions::none;
}

} // namespace

AuthenticationViewContent authenticationViewContent(
    AuthenticationScreenPhase phase, const std::optional<ErrorMessage> &authenticationError)
{
    AuthenticationViewContent content;
    content.isWebRegistrationLayout = phase == AuthenticationScreenPhase::webRegistrationRequired;
    if (content.isWebRegistrationLayout) {
        content.contentPadding = 28;
        content.iconSize = 80;
        content.spaceUnderIcon = 14;
        content.spaceUnderEyebrow = 7;
        content.titleSize = 28;
        content.spaceAboveBody = 10;
        content.spaceUnderBody = 18;
        content.eyebrow = localizedString(QT_TRANSLATE_NOOP("Veyra", "WEB REGISTRATION REQUIRED"));
        content.title = localizedString(QT_TRANSLATE_NOOP("Veyra", "Sign up on the web first"));
    } else {
        content.eyebrow = localizedString(QT_TRANSLATE_NOOP("Veyra", "YOUR AI GAMING COMPANION"));
        content.title = localizedString(QT_TRANSLATE_NOOP("Veyra", "Just play. Veyra’s got you."));
    }
    content.body = bodyFor(phase);
    content.actions = actionsFor(phase);
    content.showsNotice = content.isWebRegistrationLayout;
    content.showsSignedOutNote = phase == AuthenticationScreenPhase::signedOut;
    content.showsWebRegistrationNote = content.isWebRegistrationLayout;
    if (authenticationError) {
        content.error = authenticationError->localized();
    }
    return content;
}

AuthenticationViewModel::AuthenticationViewModel(QObject *parent)
    : QObject(parent)
{ }

void AuthenticationViewModel::setPhase(AuthenticationScreenPhase phase)
{
    if (m_phase != phase) {
        m_phase = phase;
        Q_EMIT changed();
    }
}

void AuthenticationViewModel::setAuthenticationError(std::optional<ErrorMessage> error)
{
    if (m_authenticationError != error) {
        m_authenticationError = std::move(error);
        Q_EMIT changed();
    }
}

} // namespace veyra
