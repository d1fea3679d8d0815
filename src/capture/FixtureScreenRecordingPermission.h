#pragma once

#include "capture/windows/ScreenRecordingPermissionProviding.h"

namespace veyra {

// Fixed answers for UI testing.
class FixtureScreenRecordingPermission : public ScreenRecordingPermissionProviding
{
public:
    FixtureScreenRecordingPermission(bool authorized, bool requestResult)
        : m_authorized(authorized)
        , m_requestResult(requestResult)
    { }

    // The answer to preflight() and to request().
    bool authorized() const { return m_authorized; }
    bool requestResult() const { return m_requestResult; }

    QCoro::Task<bool> preflight() override { co_return m_authorized; }
    QCoro::Task<bool> request() override { co_return m_requestResult; }
    // Opens nothing.
    void openSystemSettings() override { }

private:
    bool m_authorized;
    bool m_requestResult;
};

} // namespace veyra
