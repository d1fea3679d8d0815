#pragma once

#include "update/version/AppVersionInfo.h"

#include <QMetaType>
#include <QString>

#include <optional>

namespace veyra {

// Why the running build may not be used: the running version and the accepted policy's
// minimum (the build compared, the version shown).
struct MinimumVersionRequirement
{
    AppVersionInfo currentVersion;
    QString minimumSupportedBuild;
    QString minimumSupportedVersion;

    bool operator==(const MinimumVersionRequirement &) const = default;
};

// The minimum-version gate: only `allowed` lets the main window past the minimum-version
// screen. `required` and `installFailed` carry the requirement.
class MinimumVersionState
{
public:
    enum class Case {
        // A foreground check is running; also the state at creation.
        checking,
        // The last accepted policy allows the running build.
        allowed,
        // The last foreground check failed.
        checkFailed,
        // The running build is below the minimum supported build.
        required,
        // An update is required and the last attempt to install one failed.
        installFailed,
    };

    MinimumVersionState() = default;

    static MinimumVersionState checking() { return MinimumVersionState(Case::checking, std::nullopt); }
    static MinimumVersionState allowed() { return MinimumVersionState(Case::allowed, std::nullopt); }
    static MinimumVersionState checkFailed() { return MinimumVersionState(Case::checkFailed, std::nullopt); }
    static MinimumVersionState required(MinimumVersionRequirement requirement)
    {
        return MinimumVersionState(Case::required, std::move(requirement));
    }
    static MinimumVersionState installFailed(MinimumVersionRequirement requirement)
    {
        return MinimumVersionState(Case::installFailed, std::move(requirement));
    }

    Case kind() const { return m_case; }
    // The requirement of `required` and `installFailed`; nothing for the other cases.
    const std::optional<MinimumVersionRequirement> &requirement() const { return m_requirement; }
    // `required` or `installFailed`.
    bool isUpdateRequired() const { return m_case == Case::required || m_case == Case::installFailed; }

    // The case name, for logs and test output.
    QString caseName() const;

    bool operator==(const MinimumVersionState &) const = default;

private:
    MinimumVersionState(Case kind, std::optional<MinimumVersionRequirement> requirement)
        : m_case(kind)
        , m_requirement(std::move(requirement))
    { }

    Case m_case = Case::checking;
    std::optional<MinimumVersionRequirement> m_requirement;
};

} // namespace veyra

Q_DECLARE_METATYPE(veyra::MinimumVersionState)
