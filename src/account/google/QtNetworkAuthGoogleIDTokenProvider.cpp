#include "account/google/QtNetworkAuthGoogleIDTokenProvider.h"

#include "account/configuration/GoogleSignInError.h"
#include "account/google/GoogleAuthorizationError.h"
#include "account/google/ProofKey.h"
#include "foundation/language/LocalizedString.h"
#include "foundation/logging/Logger.h"
#include "translation/http/QtNetworkHTTPTransport.h"
#include "translation/http/ServerConfiguration.h"

#include <QDesktopServices>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QOAuth2AuthorizationCodeFlow>
#include <QOAuthHttpServerReplyHandler>
#include <QPromise>
#include <QTimer>

#include <qcoro/qcorofuture.h>

namespace veyra {

namespace {

// Google's token answers are small; anything larger is not one.
constexpr qint64 maximumTokenAnswerBytes = 1024 * 1024;

// Hands the answer of the token request to the attempt instead of Qt's own parser, which
// logs and drops every failure (the flow would then wait for ever).
class TokenAnswerHandler : public QOAuthHttpServerReplyHandler
{
public:
    using QOAuthHttpServerReplyHandler::QOAuthHttpServerReplyHandler;

    std::function<void(QNetworkReply *)> onTokenAnswer;

    void networkReplyFinished(QNetworkReply *reply) override
    {
        if (onTokenAnswer) {
            onTokenAnswer(reply);
        }
        reply->deleteLater();
    }
};

// The ID token of a token answer, or the reason there is none.
QString idTokenOf(QNetworkReply &reply)
{
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        throw GoogleAuthorizationError(GoogleAuthorizationError::Kind::network);
    }
    const QByteArray body = reply.read(maximumTokenAnswerBytes + 1);
    if (status.toInt() != 200 || body.size() > maximumTokenAnswerBytes) {
        throw GoogleAuthorizationError(GoogleAuthorizationError::Kind::refused);
    }
    const QJsonValue idToken = QJsonDocument::fromJson(body).object().value(QStringLiteral("id_token"));
    if (!idToken.isString() || idToken.toString().isEmpty()) {
        throw GoogleSignInError(GoogleSignInError::Kind::missingIDToken);
    }
    return idToken.toString();
}

} // namespace

// One sign-in: the listener, the flow, the time-out and the outcome. Deleted (later) by the
// call that started it, however it ends.
class QtNetworkAuthGoogleIDTokenProvider::Attempt : public QObject
{
public:
    Attempt(const GoogleOAuthClient &client, const GoogleOAuthEndpoints &endpoints, BrowserOpening openBrowser,
        std::chrono::milliseconds timeout)
        : m_openBrowser(std::move(openBrowser))
        , m_state(QString::fromLatin1(randomURLSafeText(24)))
        , m_proofKey(ProofKey::generate())
    {
        m_promise.start();
        std::unique_ptr<QNetworkAccessManager> network = makeEphemeralNetworkSession();
        network->setParent(this);
        m_handler = new TokenAnswerHandler(QHostAddress(QHostAddress::LocalHost), 0, this);
        m_handler->setCallbackText(
            localizedString(QT_TRANSLATE_NOOP("Veyra", "You can close this page and return to Veyra.")));
        m_flow = new QOAuth2AuthorizationCodeFlow(network.release(), this);
        m_flow->setAuthorizationUrl(endpoints.authorizationURL);
        m_flow->setAccessTokenUrl(endpoints.tokenURL);
        m_flow->setClientIdentifier(client.clientID);
        if (!client.clientSecret.isEmpty()) {
            m_flow->setClientIdentifierSharedKey(client.clientSecret);
        }
        m_flow->setScope(QtNetworkAuthGoogleIDTokenProvider::scope());
        m_flow->setState(m_state);
        m_flow->setReplyHandler(m_handler);
        m_flow->setModifyParametersFunction(
            [proofKey = m_proofKey](QAbstractOAuth::Stage stage, QMultiMap<QString, QVariant> *parameters) {
                addProofKey(proofKey, stage, parameters);
            });
        m_timeout.setSingleShot(true);
        m_timeout.setInterval(timeout);
        QObject::connect(&m_timeout, &QTimer::timeout, this, [this] { cancel(); });
    }

    QFuture<QString> outcome() { return m_promise.future(); }

    void start(const CancellationToken &token)
    {
        m_cancellation = token.onCancel([guarded = QPointer<Attempt>(this)] {
            if (guarded) {
                guarded->fail(std::make_exception_ptr(CancellationError()));
            }
        });
        if (!m_handler->isListening()) {
            fail(
                std::make_exception_ptr(GoogleAuthorizationError(GoogleAuthorizationError::Kind::listenerUnavailable)));
            return;
        }
        // Connected before the flow's own handling, so that an error callback is judged
        // (and its state checked) here first.
        QObject::connect(m_handler, &QAbstractOAuthReplyHandler::callbackReceived, this,
            [this](const QVariantMap &values) { handleCallback(values); });
        m_handler->onTokenAnswer = [guarded = QPointer<Attempt>(this)](QNetworkReply *reply) {
            if (guarded) {
                guarded->handleTokenAnswer(*reply);
            }
        };
        QObject::connect(m_flow, &QAbstractOAuth::authorizeWithBrowser, this, [this](const QUrl &url) {
            if (!m_openBrowser(url)) {
                fail(std::make_exception_ptr(
                    GoogleAuthorizationError(GoogleAuthorizationError::Kind::browserUnavailable)));
            }
        });
        m_timeout.start();
        if (!m_finished) {
            m_flow->grant();
        }
    }

    // Ends the flow as the user's cancellation.
    void cancel() { fail(std::make_exception_ptr(GoogleSignInError(GoogleSignInError::Kind::cancelled))); }

private:
    static void addProofKey(
        const ProofKey &proofKey, QAbstractOAuth::Stage stage, QMultiMap<QString, QVariant> *parameters)
    {
        if (stage == QAbstractOAuth::Stage::RequestingAuthorization) {
            parameters->insert(QStringLiteral("code_challenge"), QString::fromLatin1(proofKey.challenge));
            parameters->insert(QStringLiteral("code_challenge_method"), QStringLiteral("S256"));
        } else if (stage == QAbstractOAuth::Stage::RequestingAccessToken) {
            parameters->insert(QStringLiteral("code_verifier"), QString::fromLatin1(proofKey.verifier));
            // Qt 6.4 takes the code from the callback still percent-encoded and encodes it
            // again; Google would then never recognise a code with a "/" in it.
            const QString codeKey = QStringLiteral("code");
            const QByteArray code = parameters->value(codeKey).toByteArray();
            parameters->replace(codeKey, QByteArray::fromPercentEncoding(code));
        }
    }

    void handleCallback(const QVariantMap &values)
    {
        // A code with the right state goes on to the token request (the flow checks the
        // state itself); an error counts only with the right state, so that no other page
        // can end the sign-in.
        const QString error = values.value(QStringLiteral("error")).toString();
        if (m_finished || error.isEmpty() || values.value(QStringLiteral("state")).toString() != m_state) {
            return;
        }
        if (error == QLatin1String("access_denied")) {
            cancel();
        } else {
            fail(std::make_exception_ptr(GoogleAuthorizationError(GoogleAuthorizationError::Kind::refused)));
        }
    }

    void handleTokenAnswer(QNetworkReply &reply)
    {
        if (m_finished) {
            return;
        }
        try {
            succeed(idTokenOf(reply));
        } catch (...) {
            fail(std::current_exception());
        }
    }

    void succeed(const QString &idToken)
    {
        if (end()) {
            m_promise.addResult(idToken);
            m_promise.finish();
        }
    }

    void fail(std::exception_ptr error)
    {
        if (end()) {
            m_promise.setException(std::move(error));
            m_promise.finish();
        }
    }

    // True for the first ending only.
    bool end()
    {
        if (m_finished) {
            return false;
        }
        m_finished = true;
        m_timeout.stop();
        m_handler->close();
        return true;
    }

    const BrowserOpening m_openBrowser;
    const QString m_state;
    const ProofKey m_proofKey;
    QPromise<QString> m_promise;
    TokenAnswerHandler *m_handler = nullptr;
    QOAuth2AuthorizationCodeFlow *m_flow = nullptr;
    QTimer m_timeout;
    CancellationToken::Registration m_cancellation;
    bool m_finished = false;
};

GoogleOAuthClient GoogleOAuthClient::fromInfoDictionary(const InfoDictionary &info)
{
    return GoogleOAuthClient{infoDictionaryString(QStringLiteral("GIDClientID"), info).value_or(QString()),
        infoDictionaryString(QStringLiteral("GIDClientSecret"), info).value_or(QString())};
}

GoogleOAuthEndpoints GoogleOAuthEndpoints::google()
{
    return GoogleOAuthEndpoints{QUrl(QStringLiteral("https://accounts.google.com/o/oauth2/v2/auth")),
        QUrl(QStringLiteral("https://oauth2.googleapis.com/token"))};
}

GoogleOAuthEndpoints GoogleOAuthEndpoints::fromInfoDictionary(const InfoDictionary &info)
{
    const auto endpoint = [&info](const QString &key, const QUrl &google) {
        const std::optional<QString> text = infoDictionaryString(key, info);
        if (!text) {
            return google;
        }
        try {
            return validateBaseURL(QUrl(*text, QUrl::StrictMode));
        } catch (const ServerConfigurationError &) {
            qCCritical(Logger("GoogleSignIn")).noquote()
                << QStringLiteral("\"%1\" is not an allowed URL; Google's own endpoint is used").arg(key);
            return google;
        }
    };
    const GoogleOAuthEndpoints google = GoogleOAuthEndpoints::google();
    return GoogleOAuthEndpoints{endpoint(QStringLiteral("GoogleAuthorizationURL"), google.authorizationURL),
        endpoint(QStringLiteral("GoogleTokenURL"), google.tokenURL)};
}

QtNetworkAuthGoogleIDTokenProvider::QtNetworkAuthGoogleIDTokenProvider(GoogleOAuthClient client,
    BrowserOpening openBrowser, GoogleOAuthEndpoints endpoints, std::chrono::milliseconds signInTimeout,
    QObject *parent)
    : QObject(parent)
    , m_client(std::move(client))
    , m_openBrowser(openBrowser ? std::move(openBrowser) : BrowserOpening(&QDesktopServices::openUrl))
    , m_endpoints(std::move(endpoints))
    , m_signInTimeout(signInTimeout)
{ }

QtNetworkAuthGoogleIDTokenProvider::~QtNetworkAuthGoogleIDTokenProvider()
{
    if (auto *running = static_cast<Attempt *>(m_running.data())) {
        running->cancel();
    }
}

QCoro::Task<QString> QtNetworkAuthGoogleIDTokenProvider::idToken(
    QPointer<QWidget> presentingWindow, CancellationToken token)
{
    // The browser shows the sign-in; the window that asked needs nothing further.
    Q_UNUSED(presentingWindow);
    token.throwIfCancelled();
    // One sign-in at a time: a new one ends the one before as cancelled.
    if (auto *running = static_cast<Attempt *>(m_running.data())) {
        running->cancel();
    }
    const auto deleteLater = [](Attempt *attempt) { attempt->deleteLater(); };
    const std::unique_ptr<Attempt, decltype(deleteLater)> attempt(
        new Attempt(m_client, m_endpoints, m_openBrowser, m_signInTimeout), deleteLater);
    m_running = attempt.get();
    const QFuture<QString> outcome = attempt->outcome();
    attempt->start(token);
    co_return co_await outcome;
}

} // namespace veyra
