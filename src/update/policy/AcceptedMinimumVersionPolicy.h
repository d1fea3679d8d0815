#pragma once

#include <QByteArray>
#include <QString>

namespace veyra {

// The revision and digest of the last policy this user accepted.
struct AcceptedMinimumVersionPolicy
{
    qint64 revision = 0;
    QString digest;

    // A compact JSON object with "revision" (integer) and "digest" (string).
    QByteArray toJson() const;
    // Both members are required, in any order; throws DecodingError otherwise.
    static AcceptedMinimumVersionPolicy fromJson(const QByteArray &json);

    bool operator==(const AcceptedMinimumVersionPolicy &) const = default;
};

} // namespace veyra
