#pragma once

#include "account/web/WebPageOpening.h"
#include "app/launch/UITestingLaunchOptions.h"
#include "app/session/AppSession.h"
#include "capture/windows/PermissionRestartPresenting.h"
#include "capture/windows/ScreenRecordingPermissionProviding.h"
#include "support/ExampleGameTarget.h"
#include "support/ManualCall.h"
#include "support/RunTask.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace veyra::test {

// The capture permission whose every check and request waits until the test answers it
// (oldest first). Counts its checks.
class ManualScreenRecordingPermission : public ScreenRecordingPermissionProviding
{
public:
    QCoro::Task<bool> preflight() override
    {
        ++preflights;
        co_return co_await wait(m_preflights);
    }
    QCoro::Task<bool> request() override { co_return co_await wait(m_requests); }
    void openSystemSettings() override { }

    // Ends the checks and requests still waiting as refused.
    void refuseWaitingCalls()
    {
        for (auto *calls : {&m_preflights, &m_requests}) {
            for (const auto &call : *calls) {
                if (!call->finished()) {
                    call->succeed(false);
                }
            }
        }
    }

    void answerPreflight(bool granted) { answer(m_preflights, granted); }
    void answerRequest(bool granted) { answer(m_requests, granted); }

    int preflights = 0;

private:
    using Call = ManualCall<bool>;

    static QCoro::Task<bool> wait(std::vector<std::shared_ptr<Call>> &calls)
    {
        auto call = std::make_shared<Call>(CancellationToken());
        calls.push_back(call);
        co_await call->untilFinished();
        co_return call->outcome();
    }
    static void answer(std::vector<std::shared_ptr<Call>> &calls, bool granted)
    {
        ASSERT_TRUE(waitUntil([&calls] {
            return std::any_of(calls.begin(), calls.end(), [](const auto &call) { return !call->finished(); });
        })) << "nothing is waiting for an answer";
        for (const auto &call : calls) {
            if (!call->finished()) {
                call->succeed(granted);
                return;
            }
        }
    }

    std::vector<std::shared_ptr<Call>> m_preflights;
    std::vector<std::shared_ptr<Call>> m_requests;
};

// Counts the pages it was asked to open.
class CountingWebPageOpener : public WebPageOpening
{
public:
    void openHomePage() override { ++homePages; }
    void openSignUpPage() override { ++signUpPages; }
    void openAccountPage() override { ++accountPages; }
    void openSupportInquiriesPage() override { ++supportPages; }

    int homePages = 0;
    int signUpPages = 0;
    int accountPages = 0;
    int supportPages = 0;
};

// A real application session without a server, gameplay or overlay, for the main window's
// screens and the menus: the test walks it through its phases with the permission's
// answers. Its termination is counted instead of quitting.
struct ShellSessionRig
{
    ShellSessionRig()
    {
        AppSession::Services services;
        services.webPageOpener = pages;
        services.permissionProvider = permission;
        services.restartPresenter = std::make_shared<NoRestartPrompt>();
        session = std::make_unique<AppSession>(UITestingLaunchOptions{}, services);
        session->setTerminationHandler([this] { ++terminations; });
    }
    // The session's tasks that still wait, or have not begun yet, find it gone and end.
    ~ShellSessionRig()
    {
        session.reset();
        permission->refuseWaitingCalls();
        for (int turn = 0; turn < 3; ++turn) {
            QCoreApplication::processEvents();
        }
    }

    // Signed in; the capture permission is being checked.
    void reachCheckingPermission()
    {
        session->handleRestoreResult(AuthenticationRestoreResult::restored);
        ASSERT_EQ(session->phase(), AppPhase::checkingPermission());
    }
    void reachRequestingPermission()
    {
        reachCheckingPermission();
        permission->answerPreflight(false);
        ASSERT_TRUE(waitUntil([&] { return session->phase() == AppPhase::requestingPermission(); }));
    }
    void reachPermissionDenied()
    {
        reachRequestingPermission();
        permission->answerRequest(false);
        ASSERT_TRUE(waitUntil([&] { return session->phase() == AppPhase::permissionDenied(); }));
    }
    void reachChoosing()
    {
        reachCheckingPermission();
        permission->answerPreflight(true);
        ASSERT_TRUE(waitUntil([&] { return session->phase() == AppPhase::choosing(); }));
    }
    // Plays with a game window.
    void play()
    {
        if (session->phase() != AppPhase::choosing()) {
            reachChoosing();
        }
        session->selectTarget(exampleGameTarget());
        ASSERT_EQ(session->phase().kind(), AppPhase::Kind::overlay);
    }

    std::shared_ptr<ManualScreenRecordingPermission> permission = std::make_shared<ManualScreenRecordingPermission>();
    std::shared_ptr<CountingWebPageOpener> pages = std::make_shared<CountingWebPageOpener>();
    std::unique_ptr<AppSession> session;
    int terminations = 0;

private:
    class NoRestartPrompt : public PermissionRestartPresenting
    {
    public:
        QCoro::Task<void> presentRestartPrompt() override { co_return; }
    };
};

} // namespace veyra::test
