#include "update/updater/FeedAppUpdater.h"

#include "foundation/async/AsyncTask.h"
#include "translation/http/HTTPTransport.h"
#include "update/configuration/StandardBase64.h"
#include "update/updater/AppUpdateInstalling.h"
#include "update/updater/AppUpdateUserDriving.h"
#include "update/updater/AppUpdaterError.h"
#include "update/updater/Appcast.h"
#include "update/updater/AwaitReply.h"

namespace veyra {

namespace {

constexpr qsizetype publicKeyBytes = 32;

bool isSuccess(const HTTPResponse &response)
{
    return response.statusCode && *response.statusCode >= 200 && *response.statusCode <= 299;
}

HTTPRequest plainGet(const QUrl &url, HTTPRedirectPolicy redirectPolicy = HTTPRedirectPolicy::sameOrigin)
{
    HTTPRequest request;
    request.url = url;
    request.redirectPolicy = redirectPolicy;
    return request;
}

// The media type and the charset of a Content-Type value.
void readContentType(const std::optional<QByteArray> &header, UpdateDownloadData &data)
{
    if (!header) {
        return;
    }
    const QList<QByteArray> parts = header->split(';');
    const QString mimeType = QString::fromLatin1(parts.value(0)).trimmed().toLower();
    if (!mimeType.isEmpty()) {
        data.mimeType = mimeType;
    }
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QString parameter = QString::fromLatin1(parts[i]).trimmed();
        if (parameter.startsWith(QLatin1String("charset="), Qt::CaseInsensitive)) {
            QString charset = parameter.mid(8).trimmed();
            if (charset.size() >= 2 && charset.startsWith(QLatin1Char('"')) && charset.endsWith(QLatin1Char('"'))) {
                charset = charset.mid(1, charset.size() - 2);
            }
            if (!charset.isEmpty()) {
                data.textEncodingName = charset;
            }
        }
    }
}

QCoro::Task<void> acknowledge(std::function<void(std::function<void()>)> show, CancellationToken token)
{
    auto ask = [show](std::function<void(bool)> reply) { show([reply] { reply(true); }); };
    co_await ReplyAwaiter<bool>(std::move(ask), std::move(token));
}

} // namespace

FeedAppUpdater::FeedAppUpdater(AppUpdateConfiguration configuration, std::optional<AppVersionInfo> currentVersion,
    AppUpdateUserDriving &userDriver, AppUpdaterDelegate &delegate, Dependencies dependencies, QObject *parent)
    : QObject(parent)
    , m_configuration(std::move(configuration))
    , m_currentVersion(std::move(currentVersion))
    , m_userDriver(userDriver)
    , m_delegate(delegate)
    , m_dependencies(std::move(dependencies))
{ }

FeedAppUpdater::~FeedAppUpdater()
{
    m_lifetime.cancel();
    if (m_cycle) {
        m_cycle->token.cancel();
    }
}

void FeedAppUpdater::start()
{
    if (m_started) {
        return;
    }
    if (!m_currentVersion) {
        throw AppUpdaterError(AppUpdaterError::Kind::invalidConfiguration, QStringLiteral("no running build"));
    }
    const std::optional<QByteArray> key = decodeStandardBase64(m_configuration.publicKey);
    if (!key || key->size() != publicKeyBytes || !isAllowedFeedLink(m_configuration.feedURL)) {
        throw AppUpdaterError(AppUpdaterError::Kind::invalidConfiguration, QStringLiteral("feed URL or public key"));
    }
    m_started = true;
    startDetachedTask(
        this,
        [installer = m_dependencies.installer](QPointer<FeedAppUpdater>) -> QCoro::Task<void> {
            if (installer) {
                co_await installer->removeLeftovers();
            }
        },
        m_logger);
    startDetachedTask(
        this,
        [lifetime = m_lifetime](
            QPointer<FeedAppUpdater> self) -> QCoro::Task<void> { co_await checkInBackground(self, lifetime); },
        m_logger);
    notifyCanCheckForUpdatesChanged();
}

bool FeedAppUpdater::canCheckForUpdates() const
{
    const bool userCycle = m_cycle && m_cycle->check == UpdateCheck::userInitiated;
    return m_started && !userCycle && !m_pendingUserCheck;
}

void FeedAppUpdater::checkForUpdates()
{
    if (!m_started) {
        return;
    }
    if (!m_cycle) {
        beginCycle(UpdateCheck::userInitiated);
        return;
    }
    if (m_cycle->check == UpdateCheck::userInitiated) {
        m_userDriver.showUpdateInFocus();
        return;
    }
    m_pendingUserCheck = true;
    m_cycle->token.cancel();
    notifyCanCheckForUpdatesChanged();
}

void FeedAppUpdater::beginCycle(UpdateCheck check)
{
    const CancellationToken token;
    m_cycle = Cycle{check, token};
    startDetachedTask(
        this,
        [check, token](QPointer<FeedAppUpdater> self) -> QCoro::Task<void> { co_await runCycle(self, check, token); },
        m_logger);
    notifyCanCheckForUpdatesChanged();
}

void FeedAppUpdater::endCycle(UpdateCheck check, const AppUpdaterError *error, std::function<void()> afterwards)
{
    const QPointer<FeedAppUpdater> self(this);
    m_cycle.reset();
    m_userDriver.dismissUpdateInstallation();
    m_delegate.didFinishUpdateCycle(check, error);
    if (!self) {
        return;
    }
    if (afterwards) {
        afterwards();
    }
    if (self && m_pendingUserCheck && !m_cycle) {
        m_pendingUserCheck = false;
        beginCycle(UpdateCheck::userInitiated);
        return;
    }
    if (self) {
        notifyCanCheckForUpdatesChanged();
    }
}

void FeedAppUpdater::notifyCanCheckForUpdatesChanged()
{
    if (onCanCheckForUpdatesChanged) {
        onCanCheckForUpdatesChanged();
    }
}

QCoro::Task<void> FeedAppUpdater::runCycle(QPointer<FeedAppUpdater> self, UpdateCheck check, CancellationToken token)
{
    std::optional<AppUpdaterError> failure;
    std::function<void()> restart;
    try {
        restart = co_await checkAndInstall(self, check, token);
    } catch (const AppUpdaterError &error) {
        failure = error;
    } catch (const CancellationError &) {
    } catch (const std::exception &error) {
        failure = AppUpdaterError(AppUpdaterError::Kind::installFailed, describeError(error));
    }
    if (!self) {
        co_return;
    }
    if (failure && !token.isCancelled()) {
        qCCritical(self->m_logger).noquote()
            << QStringLiteral("Update cycle failed: %1").arg(failure->logDescription());
        if (check == UpdateCheck::userInitiated) {
            const AppUpdaterError shown = *failure;
            auto show = [self, shown](std::function<void()> acknowledgement) {
                if (self) {
                    self->m_userDriver.showUpdaterError(shown, std::move(acknowledgement));
                }
            };
            try {
                co_await acknowledge(std::move(show), token);
            } catch (const CancellationError &) { }
            if (!self) {
                co_return;
            }
        }
    } else if (token.isCancelled()) {
        // The user or a user-initiated check ended it: not a failure.
        failure.reset();
        restart = nullptr;
    }
    self->endCycle(check, failure ? &*failure : nullptr, std::move(restart));
}

QCoro::Task<std::function<void()>> FeedAppUpdater::checkAndInstall(
    QPointer<FeedAppUpdater> self, UpdateCheck check, CancellationToken token)
{
    const bool userInitiated = check == UpdateCheck::userInitiated;
    if (userInitiated) {
        self->m_userDriver.showUserInitiatedUpdateCheck([token] { token.cancel(); });
    }
    const std::shared_ptr<HTTPTransport> transport = self->m_dependencies.transport;
    std::optional<HTTPResponse> response;
    try {
        // The feed may be served from anywhere a redirect leads over https: what it offers
        // is installed only with a valid signature.
        response = co_await transport->data(
            plainGet(self->m_configuration.feedURL, HTTPRedirectPolicy::anyOriginOverHTTPS), token);
    } catch (const CancellationError &) {
        throw;
    } catch (const std::exception &error) {
        throw AppUpdaterError(AppUpdaterError::Kind::feedUnavailable, describeError(error));
    }
    if (!self || token.isCancelled()) {
        throw CancellationError();
    }
    if (!isSuccess(*response)) {
        throw AppUpdaterError(AppUpdaterError::Kind::feedUnavailable,
            QStringLiteral("HTTP status %1").arg(response->statusCode.value_or(0)));
    }
    const Appcast appcast = co_await Appcast::read(response->body, token);
    if (!self) {
        throw CancellationError();
    }
    if (appcast.skippedItemCount > 0) {
        qCWarning(self->m_logger).noquote()
            << QStringLiteral("The update feed has %1 items that cannot be installed").arg(appcast.skippedItemCount);
    }
    const std::optional<AppcastItem> found = selectNewestUpdate(appcast.items, self->m_currentVersion->build);
    if (!found) {
        self->m_delegate.didNotFindUpdate(check);
        if (userInitiated && self) {
            auto show = [self](std::function<void()> acknowledgement) {
                if (self) {
                    self->m_userDriver.showUpdateNotFound(std::move(acknowledgement));
                }
            };
            co_await acknowledge(std::move(show), token);
        }
        co_return std::function<void()>();
    }
    const AppcastItem item = *found;
    self->m_delegate.didFindValidUpdate(item, check);
    if (!self) {
        throw CancellationError();
    }

    // The release notes are fetched while the offer waits for its answer, and no longer.
    const CancellationToken notesToken;
    const CancellationToken::Registration notesRegistration = token.onCancel([notesToken] { notesToken.cancel(); });
    auto offer = [self, item, userInitiated, notesToken](std::function<void(UserUpdateChoice)> reply) {
        if (!self) {
            return;
        }
        auto answered = std::make_shared<bool>(false);
        self->m_userDriver.showUpdateFound(
            item, UserUpdateState{userInitiated}, [reply, answered](UserUpdateChoice choice) {
                *answered = true;
                reply(choice);
            });
        if (self && !*answered && userInitiated && item.releaseNotesURL) {
            startDetachedTask(
                self.data(),
                [url = *item.releaseNotesURL, notesToken](QPointer<FeedAppUpdater> owner) -> QCoro::Task<void> {
                    co_await deliverReleaseNotes(owner, url, notesToken);
                },
                self->m_logger);
        }
    };
    const UserUpdateChoice choice = co_await ReplyAwaiter<UserUpdateChoice>(std::move(offer), token);
    notesToken.cancel();
    if (!self) {
        throw CancellationError();
    }
    if (choice != UserUpdateChoice::install) {
        co_return std::function<void()>();
    }

    AppUpdateInstallObserver observer;
    observer.downloadStarted = [self, token] {
        if (self) {
            self->m_userDriver.showDownloadInitiated([token] { token.cancel(); });
        }
    };
    observer.downloadProgress = [self](qint64 received, qint64 expected) {
        if (self) {
            self->m_userDriver.showDownloadProgress(received, expected);
        }
    };
    observer.installing = [self] {
        if (self) {
            self->m_userDriver.showInstallingUpdate();
        }
    };
    const std::shared_ptr<AppUpdateInstalling> installer = self->m_dependencies.installer;
    co_return co_await installer->install(item, std::move(observer), token);
}

QCoro::Task<void> FeedAppUpdater::deliverReleaseNotes(QPointer<FeedAppUpdater> self, QUrl url, CancellationToken token)
{
    const std::shared_ptr<HTTPTransport> transport = self->m_dependencies.transport;
    std::optional<HTTPResponse> response;
    QString failure;
    try {
        response = co_await transport->data(plainGet(url), token);
    } catch (const CancellationError &) {
        co_return;
    } catch (const std::exception &error) {
        failure = describeError(error);
    }
    if (!self || token.isCancelled()) {
        co_return;
    }
    if (response && !isSuccess(*response)) {
        failure = QStringLiteral("HTTP status %1").arg(response->statusCode.value_or(0));
    }
    if (!failure.isEmpty()) {
        self->m_userDriver.showUpdateReleaseNotesFailedToDownload(
            AppUpdaterError(AppUpdaterError::Kind::releaseNotesUnavailable, failure));
        co_return;
    }
    UpdateDownloadData data;
    data.data = response->body;
    data.url = url;
    readContentType(response->headers.value("Content-Type"), data);
    self->m_userDriver.showUpdateReleaseNotes(data);
}

QCoro::Task<void> FeedAppUpdater::checkInBackground(QPointer<FeedAppUpdater> self, CancellationToken lifetime)
{
    std::chrono::milliseconds delay{0};
    while (self) {
        const std::shared_ptr<Sleeper> sleeper = self->m_dependencies.sleeper;
        co_await sleeper->sleepFor(delay, lifetime);
        if (!self) {
            co_return;
        }
        if (!self->m_cycle && !self->m_pendingUserCheck) {
            self->beginCycle(UpdateCheck::background);
        }
        delay = self->m_dependencies.backgroundCheckInterval;
    }
}

} // namespace veyra
