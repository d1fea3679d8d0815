#pragma once

#include "account/views/AuthenticationViewModel.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QPushButton;
class QSpacerItem;
class QVBoxLayout;

namespace veyra {

class GoogleSignInButton;
class ProgressSpinner;
class VeyraAppIcon;

// The sign-in screen: the main window's content in the authentication phases. It shows
// the brand, one explanation per phase, the phase's actions and the last authentication
// error, and holds no authentication logic: its buttons ask, through signals, for what
// the application session then does. Google sign-in needs the window the screen sits in;
// until the screen has found it (one event-loop turn after it is shown) both Google
// buttons are disabled.
class AuthenticationView : public QWidget
{
    Q_OBJECT

public:
    static constexpr const char *viewIdentifier = "authentication-view";
    static constexpr const char *progressIdentifier = "authentication-progress";
    static constexpr const char *cancelSignInIdentifier = "cancel-google-sign-in";
    static constexpr const char *googleSignInIdentifier = "google-sign-in";
    static constexpr const char *webSignUpIdentifier = "open-web-signup";
    static constexpr const char *retryGoogleSignInIdentifier = "retry-google-sign-in";
    static constexpr const char *noticeIdentifier = "web-registration-notice";
    static constexpr const char *loginNoteIdentifier = "web-registration-login-note";
    static constexpr const char *retryAuthenticationIdentifier = "retry-authentication";
    static constexpr const char *errorIdentifier = "authentication-error";

    explicit AuthenticationView(AuthenticationViewModel *model, QWidget *parent = nullptr);
    ~AuthenticationView() override;

    // The window Google sign-in is presented for; empty until the screen has found it.
    QWidget *presentingWindow() const { return m_presentingWindow; }

Q_SIGNALS:
    // The Google button or "Try Google Sign-In Again", with the presenting window.
    void signInRequested(QWidget *presentingWindow);
    // "Cancel" while signing in.
    void signInCancelRequested();
    // "Sign Up on the Web".
    void webSignUpRequested();
    // "Try Again".
    void retryAuthenticationRequested();
    // Either "Quit".
    void terminateRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QWidget *makeContentColumn();
    QWidget *makeNotice();
    QWidget *makeWebRegistrationButtons();
    QWidget *makeRetryRow();
    QPushButton *makeButton(const QString &objectName, bool prominent);
    void refresh();
    void findPresentingWindowLater();
    void requestSignIn();

    QPointer<AuthenticationViewModel> m_model;
    QPointer<QWidget> m_presentingWindow;

    QVBoxLayout *m_column = nullptr;
    VeyraAppIcon *m_largeIcon = nullptr;
    VeyraAppIcon *m_smallIcon = nullptr;
    QLabel *m_eyebrow = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_body = nullptr;
    QWidget *m_notice = nullptr;
    QLabel *m_noticeTitle = nullptr;
    QLabel *m_noticeDetail = nullptr;
    ProgressSpinner *m_progress = nullptr;
    QPushButton *m_cancelSignInButton = nullptr;
    GoogleSignInButton *m_googleButton = nullptr;
    QWidget *m_webRegistrationButtons = nullptr;
    QPushButton *m_signUpButton = nullptr;
    QPushButton *m_retryGoogleButton = nullptr;
    QWidget *m_retryRow = nullptr;
    QPushButton *m_retryButton = nullptr;
    QPushButton *m_retryRowQuitButton = nullptr;
    QPushButton *m_quitButton = nullptr;
    QLabel *m_signedOutNote = nullptr;
    QLabel *m_webRegistrationNote = nullptr;
    QLabel *m_error = nullptr;

    QSpacerItem *m_spaceUnderIcon = nullptr;
    QSpacerItem *m_spaceUnderEyebrow = nullptr;
    QSpacerItem *m_spaceAboveBody = nullptr;
    QSpacerItem *m_spaceUnderBody = nullptr;
    QSpacerItem *m_spaceUnderNotice = nullptr;
    QSpacerItem *m_spaceAboveCancel = nullptr;
    QSpacerItem *m_spaceAboveSignedOutNote = nullptr;
    QSpacerItem *m_spaceAboveWebRegistrationNote = nullptr;
    QSpacerItem *m_spaceAboveError = nullptr;
};

} // namespace veyra
