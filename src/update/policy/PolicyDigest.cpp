#include "update/policy/PolicyDigest.h"

#include <QCryptographicHash>

namespace veyra {

QString sha256HexDigest(const QByteArray &data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

} // namespace veyra
