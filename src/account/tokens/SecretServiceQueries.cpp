#include "account/tokens/SecretServiceQueries.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <qcoro/qcorosignal.h>

#include <memory>

namespace veyra {

namespace {

const QString secretServiceName = QStringLiteral("org.freedesktop.secrets");
constexpr int answerTimeoutMs = 5000;
// As long as the bus itself gives a service it starts to come up.
constexpr int startTimeoutMs = 25000;

using StringMap = QMap<QString, QString>;

// The reply to the message, or an error reply when none came.
QCoro::Task<QDBusMessage> ask(QDBusConnection bus, QDBusMessage message, int timeoutMs = answerTimeoutMs)
{
    const std::unique_ptr<QDBusPendingCallWatcher> watcher
        = std::make_unique<QDBusPendingCallWatcher>(bus.asyncCall(message, timeoutMs));
    if (!watcher->isFinished()) {
        co_await qCoro(watcher.get(), &QDBusPendingCallWatcher::finished);
    }
    co_return watcher->reply();
}

// The first value a method of the bus itself answers, or nothing when the call fails.
QCoro::Task<std::optional<QVariant>> askBus(QDBusConnection bus, QString method, QVariantList arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
        QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"), method);
    message.setArguments(arguments);
    const QDBusMessage reply = co_await ask(std::move(bus), std::move(message));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        co_return std::nullopt;
    }
    co_return reply.arguments().constFirst();
}

QCoro::Task<bool> secretServiceRunning(QDBusConnection bus)
{
    QVariantList name{QVariant(secretServiceName)};
    const std::optional<QVariant> running = co_await askBus(std::move(bus), QStringLiteral("NameHasOwner"), name);
    co_return running && running->toBool();
}

// Whether the reply is the bus's word that no answer came in time.
bool isNoAnswer(const QDBusMessage &reply)
{
    if (reply.type() != QDBusMessage::ErrorMessage) {
        return false;
    }
    const QDBusError::ErrorType error = QDBusError(reply).type();
    return error == QDBusError::NoReply || error == QDBusError::Timeout || error == QDBusError::TimedOut;
}

} // namespace

QCoro::Task<bool> secretServiceReachable()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        co_return false;
    }
    if (co_await secretServiceRunning(bus)) {
        co_return true;
    }
    // Only an answer counts (every D-Bus connection answers a ping on its own). A bus that
    // merely lists the service as startable may fail to start it (a keyring that is broken
    // or cannot run in this session): that is no Secret Service either. The bus starts it
    // here if it can, as a keyring call would.
    QDBusMessage ping = QDBusMessage::createMethodCall(secretServiceName, QStringLiteral("/org/freedesktop/secrets"),
        QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
    ping.setAutoStartService(true);
    const QDBusMessage reply = co_await ask(bus, std::move(ping), startTimeoutMs);
    co_return reply.type() == QDBusMessage::ReplyMessage;
}

QCoro::Task<bool> secretServiceSilent()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        co_return false;
    }
    // Answered by the service's own loop (a ping is answered by some bus libraries on a
    // thread of their own, even while the service is stuck).
    QDBusMessage question
        = QDBusMessage::createMethodCall(secretServiceName, QStringLiteral("/org/freedesktop/secrets"),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    question.setArguments({QStringLiteral("org.freedesktop.Secret.Service"), QStringLiteral("Collections")});
    question.setAutoStartService(false);
    co_return isNoAnswer(co_await ask(bus, std::move(question)));
}

QCoro::Task<std::optional<bool>> lockedSecretExists(QMap<QString, QString> attributes)
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    // A service that is not running holds nothing locked; asking would start it.
    if (!bus.isConnected() || !co_await secretServiceRunning(bus)) {
        co_return false;
    }
    static const QMetaType registered = qDBusRegisterMetaType<StringMap>();
    Q_UNUSED(registered);
    QDBusMessage search = QDBusMessage::createMethodCall(secretServiceName, QStringLiteral("/org/freedesktop/secrets"),
        QStringLiteral("org.freedesktop.Secret.Service"), QStringLiteral("SearchItems"));
    search.setArguments({QVariant::fromValue(StringMap(attributes))});
    search.setAutoStartService(false);
    // SearchItems answers the unlocked items, then the locked ones.
    const QDBusMessage answer = co_await ask(bus, std::move(search));
    if (isNoAnswer(answer)) {
        co_return std::nullopt;
    }
    const QDBusPendingReply<QList<QDBusObjectPath>, QList<QDBusObjectPath>> reply = answer;
    co_return reply.isValid() && !reply.argumentAt<1>().isEmpty();
}

} // namespace veyra
