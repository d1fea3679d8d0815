#pragma once

#include <QByteArray>
#include <QString>

namespace veyra {

// A newer build that the update framework found: what the user is shown and the build
// that is compared with the running one.
struct AvailableAppUpdate
{
    QString displayVersion;
    QString buildVersion;

    // A compact JSON object with "displayVersion" and "buildVersion".
    QByteArray toJson() const;
    // Both keys are required and must hold strings; throws DecodingError otherwise.
    static AvailableAppUpdate fromJson(const QByteArray &json);

    bool operator==(const AvailableAppUpdate &) const = default;
};

} // namespace veyra
