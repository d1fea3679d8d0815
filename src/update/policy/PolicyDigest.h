#pragma once

#include <QByteArray>
#include <QString>

namespace veyra {

// The SHA-256 of every byte of `data` as 64 lowercase hexadecimal digits.
QString sha256HexDigest(const QByteArray &data);

} // namespace veyra
