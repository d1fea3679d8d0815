#include "support/GoogleAuthorizationServer.h"

#include "account/google/ProofKey.h"

#include <QJsonObject>
#include <QNetworkReply>

namespace veyra::test {

namespace {
const QString authorizationPath = QStringLiteral("/o/oauth2/v2/auth");
const QString tokenPath = QStringLiteral("/token");

ScriptedResponse oauthError(int status, const QString &error)
{
    return ScriptedResponse::json(QJsonObject{{QStringLiteral("error"), error}}, status);
}
} // namespace

GoogleAuthorizationServer::GoogleAuthorizationServer(QString clientID, QString clientSecret)
    : m_clientID(std::move(clientID))
    , m_clientSecret(std::move(clientSecret))
{
    m_standIn.setDefaultResponder(
        "GET", authorizationPath, [this](const RecordedRequest &request) { return authorize(request); });
    m_standIn.setDefaultResponder(
        "POST", tokenPath, [this](const RecordedRequest &request) { return redeem(request); });
}

GoogleOAuthEndpoints GoogleAuthorizationServer::endpoints() const
{
    return GoogleOAuthEndpoints{m_standIn.url(authorizationPath), m_standIn.url(tokenPath)};
}

void GoogleAuthorizationServer::setUserChoice(UserChoice choice)
{
    std::lock_guard lock(m_mutex);
    m_choice = choice;
}

void GoogleAuthorizationServer::setIDToken(QString idToken)
{
    std::lock_guard lock(m_mutex);
    m_idToken = std::move(idToken);
}

QList<QUrlQuery> GoogleAuthorizationServer::authorizationRequests() const
{
    std::lock_guard lock(m_mutex);
    return m_authorizations;
}

QList<GoogleAuthorizationServer::TokenRequest> GoogleAuthorizationServer::tokenRequests() const
{
    std::lock_guard lock(m_mutex);
    return m_tokenRequests;
}

QMap<QString, QString> GoogleAuthorizationServer::formFields(const QByteArray &body)
{
    QMap<QString, QString> fields;
    for (const QByteArray &pair : body.split('&')) {
        const qsizetype equals = pair.indexOf('=');
        if (equals < 0) {
            continue;
        }
        QByteArray name = pair.left(equals);
        QByteArray value = pair.mid(equals + 1);
        name.replace('+', ' ');
        value.replace('+', ' ');
        fields.insert(QString::fromUtf8(QByteArray::fromPercentEncoding(name)),
            QString::fromUtf8(QByteArray::fromPercentEncoding(value)));
    }
    return fields;
}

ScriptedResponse GoogleAuthorizationServer::authorize(const RecordedRequest &request)
{
    const qsizetype question = request.target.indexOf('?');
    const QUrlQuery query(QString::fromUtf8(question < 0 ? QByteArray() : request.target.mid(question + 1)));
    const auto parameter
        = [&query](const char *name) { return query.queryItemValue(QString::fromLatin1(name), QUrl::FullyDecoded); };
    std::lock_guard lock(m_mutex);
    m_authorizations.append(query);
    const QString redirectURI = parameter("redirect_uri");
    const QUrl redirect(redirectURI);
    const bool valid = parameter("response_type") == QLatin1String("code") && parameter("client_id") == m_clientID
        && redirect.scheme() == QLatin1String("http") && redirect.host() == QLatin1String("127.0.0.1")
        && redirect.port() > 0 && parameter("scope").split(QLatin1Char(' ')).contains(QStringLiteral("openid"))
        && parameter("code_challenge_method") == QLatin1String("S256") && parameter("code_challenge").size() == 43
        && !parameter("state").isEmpty();
    if (!valid) {
        return ScriptedResponse::raw(400, "Error 400: invalid_request", "text/html");
    }
    QUrlQuery answer;
    answer.addQueryItem(QStringLiteral("state"), QString::fromLatin1(QUrl::toPercentEncoding(parameter("state"))));
    if (m_choice == UserChoice::deny) {
        answer.addQueryItem(QStringLiteral("error"), QStringLiteral("access_denied"));
    } else {
        // Google's codes carry a slash, which the redirect percent-encodes.
        const QString code
            = QStringLiteral("4/0Ab%1-%2").arg(++m_issued).arg(QString::fromLatin1(randomURLSafeText(12)));
        m_grants.insert(code, Grant{redirectURI, parameter("code_challenge")});
        answer.addQueryItem(QStringLiteral("code"), QString::fromLatin1(QUrl::toPercentEncoding(code)));
        answer.addQueryItem(QStringLiteral("scope"), QStringLiteral("email%20profile%20openid"));
    }
    QUrl location = redirect;
    location.setQuery(answer.query(QUrl::FullyEncoded), QUrl::StrictMode);
    return ScriptedResponse::raw(302, {}, "text/html").withHeader("Location", location.toEncoded());
}

ScriptedResponse GoogleAuthorizationServer::redeem(const RecordedRequest &request)
{
    const QMap<QString, QString> fields = formFields(request.body);
    std::lock_guard lock(m_mutex);
    m_tokenRequests.append(TokenRequest{fields, false});
    if (fields.value(QStringLiteral("client_id")) != m_clientID
        || fields.value(QStringLiteral("client_secret")) != m_clientSecret) {
        return oauthError(401, QStringLiteral("invalid_client"));
    }
    const QString code = fields.value(QStringLiteral("code"));
    if (fields.value(QStringLiteral("grant_type")) != QLatin1String("authorization_code") || !m_grants.contains(code)) {
        return oauthError(400, QStringLiteral("invalid_grant"));
    }
    // A code is redeemed once, whatever happens.
    const Grant grant = m_grants.take(code);
    const QByteArray verifier = fields.value(QStringLiteral("code_verifier")).toLatin1();
    if (fields.value(QStringLiteral("redirect_uri")) != grant.redirectURI
        || ProofKey::challengeFor(verifier) != grant.challenge.toLatin1()) {
        return oauthError(400, QStringLiteral("invalid_grant"));
    }
    m_tokenRequests.last().redeemed = true;
    QJsonObject answer{
        {QStringLiteral("access_token"), QStringLiteral("ya29.google-access")},
        {QStringLiteral("expires_in"), 3599},
        {QStringLiteral("scope"), QStringLiteral("openid email profile")},
        {QStringLiteral("token_type"), QStringLiteral("Bearer")},
    };
    if (!m_idToken.isEmpty()) {
        answer.insert(QStringLiteral("id_token"), m_idToken);
    }
    return ScriptedResponse::json(answer);
}

void FakeBrowser::open(const QUrl &url)
{
    opened.append(url);
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    // No idle connection is left behind to hold up the server's shutdown.
    request.setRawHeader("Connection", "close");
    QNetworkReply *reply = m_network.get(request);
    QObject::connect(reply, &QNetworkReply::finished, reply, [this, reply] {
        reply->deleteLater();
        const QUrl location = QUrl::fromEncoded(reply->rawHeader("Location"));
        if (!location.isValid() || location.isEmpty()) {
            return;
        }
        QList<QUrl> visits;
        if (sendsForgedCallbacksFirst) {
            QUrl forgedCode = location;
            forgedCode.setQuery(QStringLiteral("state=forged&code=4%2Fforged"));
            QUrl forgedError = location;
            forgedError.setQuery(QStringLiteral("state=forged&error=access_denied"));
            visits << forgedCode << forgedError;
        }
        visits << location;
        follow(visits);
    });
}

void FakeBrowser::follow(QList<QUrl> urls)
{
    if (urls.isEmpty()) {
        return;
    }
    const QUrl url = urls.takeFirst();
    redirectsFollowed.append(url);
    QNetworkReply *reply = m_network.get(QNetworkRequest(url));
    QObject::connect(reply, &QNetworkReply::finished, reply, [this, reply, rest = std::move(urls)] {
        reply->deleteLater();
        lastPage = reply->readAll();
        ++pagesLoaded;
        follow(rest);
    });
}

} // namespace veyra::test
