#pragma once

#include "capture/target/CaptureTarget.h"

#include <optional>

namespace veyra {

// The application's top-level phase: what the main window shows. Two phases are equal
// when they are the same case and, for overlay, their targets are equal.
class AppPhase
{
public:
    enum class Kind {
        overlay,
        restoringAuthentication,
        signedOut,
        authenticating,
        webRegistrationRequired,
        authenticationUnavailable,
        authenticationConfigurationUnavailable,
        checkingPermission,
        requestingPermission,
        permissionDenied,
        choosing,
    };

    static AppPhase overlay(CaptureTarget target) { return AppPhase(Kind::overlay, std::move(target)); }
    static AppPhase restoringAuthentication() { return AppPhase(Kind::restoringAuthentication); }
    static AppPhase signedOut() { return AppPhase(Kind::signedOut); }
    static AppPhase authenticating() { return AppPhase(Kind::authenticating); }
    static AppPhase webRegistrationRequired() { return AppPhase(Kind::webRegistrationRequired); }
    static AppPhase authenticationUnavailable() { return AppPhase(Kind::authenticationUnavailable); }
    static AppPhase authenticationConfigurationUnavailable()
    {
        return AppPhase(Kind::authenticationConfigurationUnavailable);
    }
    static AppPhase checkingPermission() { return AppPhase(Kind::checkingPermission); }
    static AppPhase requestingPermission() { return AppPhase(Kind::requestingPermission); }
    static AppPhase permissionDenied() { return AppPhase(Kind::permissionDenied); }
    static AppPhase choosing() { return AppPhase(Kind::choosing); }

    Kind kind() const { return m_kind; }
    // The game window of the overlay phase; absent in every other phase.
    const std::optional<CaptureTarget> &target() const { return m_target; }

    // The six phases in which nobody is signed in (the sign-in screen's phases).
    bool isAuthenticationPhase() const;
    // Signed in: the permission phases, choosing and overlay.
    bool isSignedIn() const { return !isAuthenticationPhase(); }
    // Signed in with the capture permission granted: choosing a window, or playing.
    bool isChoosingOrPlaying() const { return m_kind == Kind::choosing || m_kind == Kind::overlay; }

    bool operator==(const AppPhase &) const = default;

private:
    explicit AppPhase(Kind kind, std::optional<CaptureTarget> target = std::nullopt)
        : m_kind(kind)
        , m_target(std::move(target))
    { }

    Kind m_kind;
    std::optional<CaptureTarget> m_target;
};

} // namespace veyra
