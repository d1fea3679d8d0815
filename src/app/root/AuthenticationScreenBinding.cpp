#include "app/root/AuthenticationScreenBinding.h"

#include "account/views/AuthenticationView.h"
#include "account/views/AuthenticationViewModel.h"
#include "app/session/AppSession.h"

#include <QPointer>

namespace veyra {

namespace {

AuthenticationScreenPhase screenPhase(const AppPhase &phase, AuthenticationUnavailableCause cause)
{
    switch (phase.kind()) {
    case AppPhase::Kind::restoringAuthentication:
        return AuthenticationScreenPhase::restoringAuthentication;
    case AppPhase::Kind::signedOut:
        return AuthenticationScreenPhase::signedOut;
    case AppPhase::Kind::authenticating:
        return AuthenticationScreenPhase::authenticating;
    case AppPhase::Kind::webRegistrationRequired:
        return AuthenticationScreenPhase::webRegistrationRequired;
    case AppPhase::Kind::authenticationUnavailable:
        return cause == AuthenticationUnavailableCause::keyring ? AuthenticationScreenPhase::keyringUnavailable
                                                                : AuthenticationScreenPhase::authenticationUnavailable;
    case AppPhase::Kind::authenticationConfigurationUnavailable:
        return AuthenticationScreenPhase::authenticationConfigurationUnavailable;
    case AppPhase::Kind::overlay:
    case AppPhase::Kind::checkingPermission:
    case AppPhase::Kind::requestingPermission:
    case AppPhase::Kind::permissionDenied:
    case AppPhase::Kind::choosing:
        return AuthenticationScreenPhase::other;
    }
    return AuthenticationScreenPhase::other;
}

} // namespace

QWidget *makeAuthenticationScreen(AppSession &session, QWidget *parent)
{
    auto *model = new AuthenticationViewModel();
    auto *view = new AuthenticationView(model, parent);
    model->setParent(view);
    const QPointer<AppSession> observed(&session);
    auto follow = [model, observed] {
        if (observed) {
            model->setAuthenticationError(observed->authenticationError());
            model->setPhase(screenPhase(observed->phase(), observed->authenticationUnavailableCause()));
        }
    };
    follow();
    QObject::connect(&session, &AppSession::phaseChanged, view, follow);
    QObject::connect(&session, &AppSession::authenticationErrorChanged, view, follow);
    QObject::connect(&session, &AppSession::authenticationUnavailableCauseChanged, view, follow);
    QObject::connect(view, &AuthenticationView::signInRequested, &session, &AppSession::signIn);
    QObject::connect(view, &AuthenticationView::signInCancelRequested, &session, &AppSession::cancelSignIn);
    QObject::connect(view, &AuthenticationView::webSignUpRequested, &session, &AppSession::openWebSignUp);
    QObject::connect(
        view, &AuthenticationView::retryAuthenticationRequested, &session, &AppSession::retryAuthentication);
    QObject::connect(view, &AuthenticationView::terminateRequested, &session, &AppSession::terminate);
    return view;
}

} // namespace veyra
