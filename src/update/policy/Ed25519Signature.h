#pragma once

#include <QByteArray>

namespace veyra {

// True when `signature` (64 bytes) is a valid pure Ed25519 signature (RFC 8032) of
// `message` under the raw 32-byte `publicKey`. False for any other length of either, and
// for keys that cannot be used (libsodium also refuses small-order keys and
// non-canonical signatures).
bool isValidEd25519Signature(const QByteArray &signature, const QByteArray &message, const QByteArray &publicKey);

} // namespace veyra
