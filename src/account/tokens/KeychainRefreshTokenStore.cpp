#include "account/tokens/KeychainRefreshTokenStore.h"

#include "account/authentication/AuthenticationClientError.h"
#include "account/tokens/SecretServiceQueries.h"
#include "account/tokens/UnansweredKeychainError.h"

#include <QPromise>
#include <QStringDecoder>

#include <qcoro/qcorosignal.h>
#include <qt6keychain/keychain.h>

#include <memory>

namespace veyra {

static_assert(KeychainRefreshTokenStore::notAnsweringStatus == QKeychain::OtherError);

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

AuthenticationClientError notAnsweringError()
{
    return AuthenticationClientError::keychain(static_cast<qint32>(KeychainRefreshTokenStore::notAnsweringStatus));
}

// Runs a job to its end, or until the Secret Service is found not to answer: while the job
// runs, the service is asked every few seconds whether it still answers (one that waits
// for the user to unlock the keyring does). A job given up on is let run to its end, and
// deletes itself then: the keyring library may still call back into it. Its caller gets an
// UnansweredKeychainError whose late end is the job's, successful as `succeeded` says.
template <typename Job, typename Succeeded>
QCoro::Task<void> run(JobPointer<Job> &job, Succeeded succeeded)
{
    const auto finished = std::make_shared<bool>(false);
    QObject::connect(job.get(), &QKeychain::Job::finished, job.get(), [finished] { *finished = true; });
    // Jobs start on a later turn of the event loop, so the wait below is in place before
    // the job can finish.
    job->start();
    while (!*finished) {
        co_await qCoro(job.get(), &QKeychain::Job::finished, KeychainRefreshTokenStore::answerCheckInterval);
        // Asked apart: g++ 12 awaits the middle of `a || co_await b || c` even when `a`
        // holds, which made every job wait for one more answer from the keyring.
        if (*finished) {
            break;
        }
        const bool silent = co_await secretServiceSilent();
        if (!silent || *finished) {
            continue;
        }
        Job *abandoned = job.release();
        // A promise dropped unfinished (the job destroyed without ending) cancels the future.
        const auto lateEnd = std::make_shared<QPromise<bool>>();
        lateEnd->start();
        QObject::connect(abandoned, &QKeychain::Job::finished, abandoned, [abandoned, lateEnd, succeeded] {
            lateEnd->addResult(succeeded(*abandoned));
            lateEnd->finish();
            abandoned->deleteLater();
        });
        throw UnansweredKeychainError(KeychainRefreshTokenStore::notAnsweringStatus, lateEnd->future());
    }
}

bool endedWithoutError(const QKeychain::Job &job)
{
    return job.error() == QKeychain::NoError;
}

bool deleted(const QKeychain::Job &job)
{
    return job.error() == QKeychain::NoError || job.error() == QKeychain::EntryNotFound;
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

AuthenticationClientError lockedError()
{
    return AuthenticationClientError::keychain(static_cast<qint32>(QKeychain::AccessDenied));
}

} // namespace

KeychainRefreshTokenStore::KeychainRefreshTokenStore(QString service, QString account)
    : m_service(std::move(service))
    , m_account(std::move(account))
{ }

QCoro::Task<std::optional<QString>> KeychainRefreshTokenStore::load()
{
    auto job = makeJob<QKeychain::ReadPasswordJob>(m_service, m_account);
    co_await run(job, endedWithoutError);
    switch (job->error()) {
    case QKeychain::NoError:
        co_return decodeToken(job->binaryData());
    case QKeychain::EntryNotFound: {
        // Also the answer for a secret in a collection that stayed locked (the user was
        // asked to unlock it and did not, or could not be asked).
        const std::optional<bool> locked = co_await lockedSecretExists(secretAttributes());
        if (!locked) {
            throw notAnsweringError();
        }
        if (*locked) {
            throw lockedError();
        }
        co_return std::nullopt;
    }
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
    auto job = makeJob<QKeychain::WritePasswordJob>(m_service, m_account);
    job->setTextData(token);
    co_await run(job, endedWithoutError);
    if (job->error() != QKeychain::NoError) {
        throw keychainError(*job);
    }
}

QCoro::Task<void> KeychainRefreshTokenStore::deleteToken()
{
    auto job = makeJob<QKeychain::DeletePasswordJob>(m_service, m_account);
    co_await run(job, deleted);
    if (deleted(*job)) {
        // Deleting passes over a secret in a locked collection without a word.
        const std::optional<bool> locked = co_await lockedSecretExists(secretAttributes());
        if (!locked) {
            throw notAnsweringError();
        }
        if (*locked) {
            throw lockedError();
        }
        co_return;
    }
    if (!co_await secretServiceReachable()) {
        co_return;
    }
    throw keychainError(*job);
}

QMap<QString, QString> KeychainRefreshTokenStore::secretAttributes() const
{
    // qtkeychain's attributes of a text secret in the Secret Service.
    return {{QStringLiteral("server"), m_service}, {QStringLiteral("user"), m_account},
        {QStringLiteral("type"), QStringLiteral("plaintext")}};
}

} // namespace veyra
