#pragma once

#include <QMap>
#include <QString>

#include <qcoro/qcorotask.h>

#include <optional>

namespace veyra {

// Questions put to the desktop's Secret Service ("org.freedesktop.secrets" on the session
// bus) about what a keyring client library leaves unsaid. Asked asynchronously; none of
// them prompts the user or reads a secret.

// Whether there is a Secret Service in this session: there is a session bus, and the
// service runs (answering or not: one that hangs is a keyring that fails, not none) or
// the bus starts it when asked and it answers (a service the bus offers to start but
// cannot is none).
QCoro::Task<bool> secretServiceReachable();

// Whether a running Secret Service fails to answer a question of its own interface within
// a few seconds: it hangs (not absent; a keyring that waits for the user to unlock it
// still answers). False when none runs.
QCoro::Task<bool> secretServiceSilent();

// Whether the running Secret Service holds a locked item whose attributes include all of
// these. A locked item is one whose secret nobody may read until the user unlocks its
// collection; libraries report it as absent. False when no service runs or it refuses the
// question; nothing when it runs and does not answer in time.
QCoro::Task<std::optional<bool>> lockedSecretExists(QMap<QString, QString> attributes);

} // namespace veyra
