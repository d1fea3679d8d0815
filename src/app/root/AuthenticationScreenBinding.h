#pragma once

class QWidget;

namespace veyra {

class AppSession;

// The sign-in screen of the main window, kept in step with the session: the screen's
// phase and message follow the session's, and its buttons ask the session to sign in,
// cancel the sign-in, open the sign-up page, retry or quit.
QWidget *makeAuthenticationScreen(AppSession &session, QWidget *parent);

} // namespace veyra
