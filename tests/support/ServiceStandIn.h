#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QNetworkAccessManager;

namespace veyra::test {

using HeaderFields = QList<std::pair<QByteArray, QByteArray>>;

// One part of a multipart/form-data request.
struct RecordedPart
{
    QString name;
    QString filename;
    QByteArray contentType;
    // Every header line of the part, in order, without its CRLF.
    QList<QByteArray> headerLines;
    QByteArray content;
};

// The parts of a multipart/form-data body with the boundary of the Content-Type value,
// read strictly (no preamble, CRLF line ends, the closing delimiter followed by CRLF and
// nothing else), or nothing when the body is not of that form.
std::optional<QList<RecordedPart>> parseMultipart(const QByteArray &contentType, const QByteArray &body);

// A request as the stand-in received it.
struct RecordedRequest
{
    QByteArray method;
    // The decoded path, without the query.
    QString path;
    // The request target exactly as sent (path and query).
    QByteArray target;
    HeaderFields headers;
    // The body exactly as received (for multipart bodies too).
    QByteArray body;
    // The parts of a multipart/form-data body, read strictly: the body must begin with
    // the first delimiter and end with the closing one followed by CRLF.
    QList<RecordedPart> parts;
    // True when the body was declared multipart/form-data but did not parse strictly.
    bool malformedMultipart = false;
    // True when the client closed the connection while its answer was still delayed.
    bool clientDisconnected = false;
    // For a trickled or generated answer: how many bytes of its body the connection took,
    // and whether the answer has ended (sent whole, or given up because the client went
    // away).
    qint64 answerBytesSent = 0;
    bool answerEnded = false;
    // True when no answer was scripted for it (neither queued nor a default): it was
    // answered 404 {"error":"not scripted"}.
    bool unscripted = false;

    // The first value of a header (names compare case-insensitively).
    std::optional<QByteArray> header(const QByteArray &name) const;
    // The body parsed as a JSON object; an empty object when it is not one.
    QJsonObject jsonBody() const;
};

// One scripted answer.
struct ScriptedResponse
{
    int status = 200;
    QByteArray body;
    // Content-Type is "application/json" unless set here.
    HeaderFields headers;
    // The answer is sent only after this delay...
    std::chrono::milliseconds delay{0};
    // ...or, when held, only after releaseHeldResponses().
    bool held = false;
    // Sent with chunked transfer encoding (no Content-Length).
    bool chunked = false;
    // When positive, the body goes out one byte at a time after this pause each (chunked).
    std::chrono::milliseconds trickleInterval{0};
    // When not negative, the body is this many bytes made while they are sent, so that a
    // huge answer needs no memory (Content-Length is declared unless chunked).
    qint64 generatedBodySize = -1;

    static ScriptedResponse json(const QJsonObject &object, int status = 200);
    static ScriptedResponse raw(int status, QByteArray body, QByteArray contentType = "application/json");

    ScriptedResponse delayedBy(std::chrono::milliseconds duration) const;
    ScriptedResponse heldUntilReleased() const;
    ScriptedResponse withHeader(QByteArray name, QByteArray value) const;
    ScriptedResponse inChunks() const;
    ScriptedResponse trickled(std::chrono::milliseconds interval) const;
    static ScriptedResponse generated(int status, qint64 size, QByteArray contentType = "application/octet-stream");
    // A redirect (302 unless given) to the location.
    static ScriptedResponse redirectTo(const QUrl &location, int status = 302);
};

// A stand-in for the service's server: a real HTTP server on 127.0.0.1 with a free
// port, whose every endpoint (a method and a path) is scripted by the test. Each
// endpoint answers from its queue of scripted responses first, then with its default;
// an unscripted request is answered 404 and noted (unscriptedRequests()). Every request is recorded. The server runs on
// threads of its own, so the test's event loop stays free for the client under test;
// destroying it stops it, also while delayed answers are pending.
class ServiceStandIn
{
public:
    using Responder = std::function<ScriptedResponse(const RecordedRequest &)>;

    ServiceStandIn();
    ~ServiceStandIn();

    ServiceStandIn(const ServiceStandIn &) = delete;
    ServiceStandIn &operator=(const ServiceStandIn &) = delete;

    quint16 port() const;
    // "http://127.0.0.1:<port>" followed by the path.
    QUrl url(const QString &path = QStringLiteral("/")) const;

    // The answer of an endpoint once its queue is empty.
    void setDefaultResponse(const QByteArray &method, const QString &path, ScriptedResponse response);
    void setDefaultResponder(const QByteArray &method, const QString &path, Responder responder);
    // The answer to the endpoint's next request.
    void enqueueResponse(const QByteArray &method, const QString &path, ScriptedResponse response);
    // Sends every answer that is held now.
    void releaseHeldResponses();

    QList<RecordedRequest> requests() const;
    QList<RecordedRequest> requests(const QByteArray &method, const QString &path) const;
    // "METHOD /path" of each request that no answer was scripted for. A test whose script
    // is only queued answers (each answers one request) expects none: a request sent
    // twice then shows here.
    QStringList unscriptedRequests() const;
    qsizetype requestCount() const;
    // How many delayed answers are waiting right now.
    int pendingResponseCount() const;

    // Stops listening and ends every pending answer; called by the destructor.
    void stop();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// Fails the test when the stand-in got a request that no answer was scripted for, naming
// each.
void expectAllScripted(const ServiceStandIn &standIn);

// A HostsServingSession on which the stand-in serves one host elsewhere, `origin`
// ("https://releases.veyra.example" say), so that what the client decides on the origin
// (where its redirects may lead) it decides on a host that is not this machine.
std::shared_ptr<QNetworkAccessManager> sessionServingOrigin(const QUrl &origin, const ServiceStandIn &standIn);

} // namespace veyra::test
