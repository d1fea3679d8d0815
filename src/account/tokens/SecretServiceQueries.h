#pragma once

#include <QMap>
#include <QString>

#include <qcoro/qcorotask.h>

namespace veyra {

// Questions put to the desktop's Secret Service ("org.freedesktop.secrets" on the session
// bus) about what a keyring client library leaves unsaid. Asked asynchronously; none of
// them prompts the user or reads a secret.

// Whether a Secret Service answers in this session: there is a session bus, and the
// service runs or the bus starts it when asked (a service the bus offers to start but
// cannot is none).
QCoro::Task<bool> secretServiceReachable();

// Whether the running Secret Service holds a locked item whose attributes include all of
// these. A locked item is one whose secret nobody may read until the user unlocks its
// collection; libraries report it as absent. False when no service runs or it does not
// answer.
QCoro::Task<bool> lockedSecretExists(QMap<QString, QString> attributes);

} // namespace veyra
