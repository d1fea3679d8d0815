#pragma once

#include <QDBusObjectPath>
#include <QString>

namespace veyra::test {

// A keyring the test can lock and unlock as a user's keyring is locked and unlocked: a
// collection of its own in the test session's gnome-keyring, with a password of its own,
// made the default collection (where new secrets go) while the object lives. Unlocking
// goes through gnome-keyring's interface for its own tools, with the password, so no
// prompt is needed. The old default comes back and the collection is deleted afterwards.
// Blocking calls on the session bus.
class LockableKeyring
{
public:
    LockableKeyring();
    ~LockableKeyring();

    LockableKeyring(const LockableKeyring &) = delete;
    LockableKeyring &operator=(const LockableKeyring &) = delete;

    // False when the collection could not be made; errorString() says why.
    bool isValid() const { return m_valid; }
    QString errorString() const { return m_error; }

    bool lock();
    bool unlock();

private:
    bool call(const QString &interface, const QString &path, const QString &method, const QVariantList &arguments,
        QVariantList *answer = nullptr);

    QDBusObjectPath m_session;
    QDBusObjectPath m_collection;
    QDBusObjectPath m_previousDefault;
    bool m_valid = false;
    QString m_error;
};

} // namespace veyra::test
