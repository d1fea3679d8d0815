#include "account/tokens/KeychainRefreshTokenStore.h"

#include "account/authentication/AuthenticationClientError.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringDecoder>

#include <qcoro/qcorosignal.h>
#include <qt6keychain/keychain.h>

#include <memory>

namespace veyra {

namespace {

// Jobs are deleted through the event loop: one may still be inside its own signal.
struct JobDeleter
{
    void operator()(QKeychain::Job *job) const { job->deleteLater(); }
};
template <typename Job>
using JobPointer = std::unique_ptr<Job, JobDeleter>;

template <typename Job>
JobPointer<Job> makeJob(const QString &service, const QString &account)
{
    JobPointer<Job> job(new Job(service));
    job->setAutoDelete(false);
    job->setKey(account);
    return job;
}

// Runs a job to its end. Jobs start on a later turn of the event loop, so the wait below
// is in place before the job can finish.
QCoro::Task<void> run(QKeychain::Job *job)
{
    job->start();
    co_await qCoro(job, &QKeychain::Job::finished);
}

const QString secretServiceName = QStringLiteral("org.freedesktop.secrets");

// The answer of a method of the bus itself, or nothing when the call fails.
QCoro::Task<std::optional<QVariant>> askBus(QDBusConnection bus, QString method, QVariantList arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
        QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"), method);
    message.setArguments(arguments);
    constexpr int timeoutMs = 5000;
    const std::unique_ptr<QDBusPendingCallWatcher> watcher
        = std::make_unique<QDBusPendingCallWatcher>(bus.asyncCall(message, timeoutMs));
    if (!watcher->isFinished()) {
        co_await qCoro(watcher.get(), &QDBusPendingCallWatcher::finished);
    }
    const QDBusMessage reply = watcher->reply();
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        co_return std::nullopt;
    }
    co_return reply.arguments().constFirst();
}

// Whether a Secret Service can answer in this session: there is a session bus, and the
// service runs or the bus can start it. A keyring failure without one means there is no
// keyring at all, not that the keyring refused.
QCoro::Task<bool> secretServiceReachable()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        co_return false;
    }
    QVariantList name{QVariant(secretServiceName)};
    const std::optional<QVariant> running = co_await askBus(bus, QStringLiteral("NameHasOwner"), std::move(name));
    if (running && running->toBool()) {
        co_return true;
    }
    const std::optional<QVariant> startable
        = co_await askBus(bus, QStringLiteral("ListActivatableNames"), QVariantList());
    co_return startable && startable->toStringList().contains(secretServiceName);
}

// The stored bytes as a token: valid, non-empty UTF-8.
QString decodeToken(const QByteArray &data)
{
    QStringDecoder decoder(
        QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString token = decoder.decode(data);
    if (decoder.hasError() || token.isEmpty()) {
        throw AuthenticationClientError(AuthenticationClientError::Kind::invalidResponse);
    }
    return token;
}

AuthenticationClientError keychainError(const QKeychain::Job &job)
{
    return AuthenticationClientError::keychain(static_cast<qint32>(job.error()));
}

} // namespace

KeychainRefreshTokenStore::KeychainRefreshTokenStore(QString service, QString account)
    : m_service(std::move(service))
    , m_account(std::move(account))
{ }

QCoro::Task<std::optional<QString>> KeychainRefreshTokenStore::load()
{
    const auto job = makeJob<QKeychain::ReadPasswordJob>(m_service, m_account);
    co_await run(job.get());
    switch (job->error()) {
    case QKeychain::NoError:
        co_return decodeToken(job->binaryData());
    case QKeychain::EntryNotFound:
        co_return std::nullopt;
    default:
        break;
    }
    if (!co_await secretServiceReachable()) {
        co_return std::nullopt;
    }
    throw keychainError(*job);
}

QCoro::Task<void> KeychainRefreshTokenStore::save(QString token)
{
    const auto job = makeJob<QKeychain::WritePasswordJob>(m_service, m_account);
    job->setTextData(token);
    co_await run(job.get());
    if (job->error() != QKeychain::NoError) {
        throw keychainError(*job);
    }
}

QCoro::Task<void> KeychainRefreshTokenStore::deleteToken()
{
    const auto job = makeJob<QKeychain::DeletePasswordJob>(m_service, m_account);
    co_await run(job.get());
    if (job->error() == QKeychain::NoError || job->error() == QKeychain::EntryNotFound) {
        co_return;
    }
    if (!co_await secretServiceReachable()) {
        co_return;
    }
    throw keychainError(*job);
}

} // namespace veyra
