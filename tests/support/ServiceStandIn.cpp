#include "support/ServiceStandIn.h"

#include "support/HostsServingSession.h"

#include <QHash>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkRequest>

#include <gtest/gtest.h>
#include <httplib.h>

#include <dirent.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <csignal>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace veyra::test {

std::optional<QByteArray> RecordedRequest::header(const QByteArray &name) const
{
    for (const auto &[field, value] : headers) {
        if (field.compare(name, Qt::CaseInsensitive) == 0) {
            return value;
        }
    }
    return std::nullopt;
}

QJsonObject RecordedRequest::jsonBody() const
{
    return QJsonDocument::fromJson(body).object();
}

ScriptedResponse ScriptedResponse::json(const QJsonObject &object, int status)
{
    return raw(status, QJsonDocument(object).toJson(QJsonDocument::Compact));
}

ScriptedResponse ScriptedResponse::raw(int status, QByteArray body, QByteArray contentType)
{
    ScriptedResponse response;
    response.status = status;
    response.body = std::move(body);
    response.headers.append({"Content-Type", std::move(contentType)});
    return response;
}

ScriptedResponse ScriptedResponse::delayedBy(std::chrono::milliseconds duration) const
{
    ScriptedResponse copy = *this;
    copy.delay = duration;
    return copy;
}

ScriptedResponse ScriptedResponse::heldUntilReleased() const
{
    ScriptedResponse copy = *this;
    copy.held = true;
    return copy;
}

ScriptedResponse ScriptedResponse::withHeader(QByteArray name, QByteArray value) const
{
    ScriptedResponse copy = *this;
    copy.headers.append({std::move(name), std::move(value)});
    return copy;
}

ScriptedResponse ScriptedResponse::inChunks() const
{
    ScriptedResponse copy = *this;
    copy.chunked = true;
    return copy;
}

ScriptedResponse ScriptedResponse::trickled(std::chrono::milliseconds interval) const
{
    ScriptedResponse copy = *this;
    copy.trickleInterval = interval;
    return copy;
}

ScriptedResponse ScriptedResponse::generated(int status, qint64 size, QByteArray contentType)
{
    ScriptedResponse response = raw(status, {}, std::move(contentType));
    response.generatedBodySize = size;
    return response;
}

ScriptedResponse ScriptedResponse::redirectTo(const QUrl &location, int status)
{
    return raw(status, {}).withHeader("Location", location.toEncoded());
}

namespace {

QByteArray bytes(const std::string &text)
{
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

std::string stdString(const QByteArray &data)
{
    return std::string(data.constData(), static_cast<size_t>(data.size()));
}

// httplib reports the connection's addresses as pseudo headers; they are not part of
// what the client sent.
bool isPseudoHeader(const std::string &name)
{
    return name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" || name == "LOCAL_PORT";
}

int portOf(const sockaddr_storage &address)
{
    if (address.ss_family == AF_INET) {
        return ntohs(reinterpret_cast<const sockaddr_in &>(address).sin_port);
    }
    if (address.ss_family == AF_INET6) {
        return ntohs(reinterpret_cast<const sockaddr_in6 &>(address).sin6_port);
    }
    return -1;
}

// The server-side socket of one connection, found among the process's descriptors by
// its two ports (httplib does not hand it to handlers), or -1 when it has no peer any
// more.
int findConnectionSocket(int localPort, int remotePort)
{
    DIR *descriptors = ::opendir("/proc/self/fd");
    if (descriptors == nullptr) {
        return -1;
    }
    int found = -1;
    while (const dirent *entry = ::readdir(descriptors)) {
        char *end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == ::dirfd(descriptors)) {
            continue;
        }
        sockaddr_storage local{};
        sockaddr_storage peer{};
        socklen_t localLength = sizeof local;
        socklen_t peerLength = sizeof peer;
        if (::getsockname(static_cast<int>(fd), reinterpret_cast<sockaddr *>(&local), &localLength) != 0
            || ::getpeername(static_cast<int>(fd), reinterpret_cast<sockaddr *>(&peer), &peerLength) != 0) {
            continue;
        }
        if (portOf(local) == localPort && portOf(peer) == remotePort) {
            found = static_cast<int>(fd);
            break;
        }
    }
    ::closedir(descriptors);
    return found;
}

// Waits up to the time-out for the peer to close the connection; true when it has.
bool peerClosed(int fd, std::chrono::milliseconds timeout)
{
    pollfd entry{fd, static_cast<short>(POLLIN | POLLRDHUP), 0};
    if (::poll(&entry, 1, static_cast<int>(timeout.count())) <= 0) {
        return false;
    }
    if ((entry.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0) {
        return true;
    }
    char byte = 0;
    if (::recv(fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0) {
        return true;
    }
    // The client sent more (a pipelined request): nothing to learn until the answer.
    std::this_thread::sleep_for(timeout);
    return false;
}

// httplib takes a multipart body apart itself and keeps none of its bytes. The stand-in
// hides such a request's Content-Type from it before the body is read (under this name),
// keeps the body as it came, and reads the parts itself.
const std::string hiddenContentType = "X-Stand-In-Content-Type";

httplib::Server::HandlerResponse hideMultipartContentType(const httplib::Request &request, httplib::Response &)
{
    // The request is the server's own, not a constant: only the handler sees it const.
    auto &headers = const_cast<httplib::Headers &>(request.headers);
    const auto found = headers.find("Content-Type");
    if (found != headers.end() && found->second.rfind("multipart/form-data", 0) == 0) {
        const std::string value = found->second;
        headers.erase(found);
        headers.emplace(hiddenContentType, value);
    }
    return httplib::Server::HandlerResponse::Unhandled;
}

// The value of a parameter of a header value ("name" of `form-data; name="x"`), quotes
// removed.
std::optional<QByteArray> headerParameter(const QByteArray &value, const QByteArray &name)
{
    for (const QByteArray &piece : value.split(';')) {
        const QByteArray trimmed = piece.trimmed();
        const qsizetype equals = trimmed.indexOf('=');
        if (equals < 0 || trimmed.left(equals).trimmed().compare(name, Qt::CaseInsensitive) != 0) {
            continue;
        }
        QByteArray parameter = trimmed.mid(equals + 1).trimmed();
        if (parameter.size() >= 2 && parameter.startsWith('"') && parameter.endsWith('"')) {
            parameter = parameter.mid(1, parameter.size() - 2);
        }
        return parameter;
    }
    return std::nullopt;
}

} // namespace

std::optional<QList<RecordedPart>> parseMultipart(const QByteArray &contentType, const QByteArray &body)
{
    const auto boundary = headerParameter(contentType, "boundary");
    if (!boundary || boundary->isEmpty()) {
        return std::nullopt;
    }
    const QByteArray delimiter = "--" + *boundary;
    if (!body.startsWith(delimiter + "\r\n")) {
        return std::nullopt;
    }
    QList<RecordedPart> parts;
    qsizetype position = delimiter.size() + 2;
    while (true) {
        const qsizetype headersEnd = body.indexOf("\r\n\r\n", position);
        if (headersEnd < 0) {
            return std::nullopt;
        }
        RecordedPart part;
        const QByteArray headerBlock = body.mid(position, headersEnd - position);
        for (qsizetype start = 0; start <= headerBlock.size();) {
            qsizetype end = headerBlock.indexOf("\r\n", start);
            if (end < 0) {
                end = headerBlock.size();
            }
            const QByteArray field = headerBlock.mid(start, end - start);
            start = end + 2;
            const qsizetype colon = field.indexOf(':');
            if (colon <= 0 || field.contains('\r') || field.contains('\n')) {
                return std::nullopt;
            }
            const QByteArray name = field.left(colon).trimmed();
            const QByteArray value = field.mid(colon + 1).trimmed();
            if (name.compare("Content-Disposition", Qt::CaseInsensitive) == 0) {
                if (!value.startsWith("form-data")) {
                    return std::nullopt;
                }
                part.name = QString::fromUtf8(headerParameter(value, "name").value_or(QByteArray()));
                part.filename = QString::fromUtf8(headerParameter(value, "filename").value_or(QByteArray()));
            } else if (name.compare("Content-Type", Qt::CaseInsensitive) == 0) {
                part.contentType = value;
            }
            part.headerLines.append(field);
        }
        const qsizetype contentStart = headersEnd + 4;
        const qsizetype contentEnd = body.indexOf("\r\n" + delimiter, contentStart);
        if (contentEnd < 0) {
            return std::nullopt;
        }
        part.content = body.mid(contentStart, contentEnd - contentStart);
        parts.append(part);
        position = contentEnd + 2 + delimiter.size();
        if (body.mid(position) == "--\r\n") {
            return parts;
        }
        if (body.mid(position, 2) != "\r\n") {
            return std::nullopt;
        }
        position += 2;
    }
}

struct ServiceStandIn::State
{
    httplib::Server server;
    std::thread thread;
    int port = 0;

    mutable std::mutex mutex;
    bool stopping = false;
    quint64 releaseGeneration = 0;
    int pending = 0;
    QList<RecordedRequest> requests;
    QHash<QByteArray, std::deque<ScriptedResponse>> queues;
    QHash<QByteArray, Responder> defaults;

    static QByteArray endpoint(const QByteArray &method, const QString &path)
    {
        return method.toUpper() + ' ' + path.toUtf8();
    }

    void handle(const httplib::Request &request, httplib::Response &response);
    bool waitForRelease(const ScriptedResponse &scripted, int fd, qsizetype index);
    void provideBody(
        const ScriptedResponse &scripted, const std::string &contentType, qsizetype index, httplib::Response &response);
};

void ServiceStandIn::State::handle(const httplib::Request &request, httplib::Response &response)
{
    RecordedRequest recorded;
    recorded.method = bytes(request.method);
    recorded.path = QString::fromStdString(request.path);
    recorded.target = bytes(request.target);
    for (const auto &[name, value] : request.headers) {
        if (name == hiddenContentType) {
            recorded.headers.append({"Content-Type", bytes(value)});
        } else if (!isPseudoHeader(name)) {
            recorded.headers.append({bytes(name), bytes(value)});
        }
    }
    recorded.body = bytes(request.body);
    if (const auto contentType = recorded.header("Content-Type");
        contentType && contentType->startsWith("multipart/form-data")) {
        const auto parts = parseMultipart(*contentType, recorded.body);
        recorded.malformedMultipart = !parts;
        recorded.parts = parts.value_or(QList<RecordedPart>());
    }

    ScriptedResponse scripted;
    qsizetype index = 0;
    {
        std::unique_lock lock(mutex);
        index = requests.size();
        requests.append(recorded);
        const QByteArray key = endpoint(recorded.method, recorded.path);
        auto queue = queues.find(key);
        if (queue != queues.end() && !queue->empty()) {
            scripted = std::move(queue->front());
            queue->pop_front();
        } else if (const auto responder = defaults.constFind(key); responder != defaults.constEnd()) {
            const Responder answer = *responder;
            lock.unlock();
            scripted = answer(recorded);
        } else {
            requests[index].unscripted = true;
            scripted
                = ScriptedResponse::json(QJsonObject{{QStringLiteral("error"), QStringLiteral("not scripted")}}, 404);
        }
    }

    if (scripted.held || scripted.delay.count() > 0) {
        const int fd = findConnectionSocket(request.local_port, request.remote_port);
        if (!waitForRelease(scripted, fd, index)) {
            response.status = 503;
            return;
        }
    }

    response.status = scripted.status;
    std::string contentType = "application/json";
    for (const auto &[name, value] : scripted.headers) {
        if (name.compare("Content-Type", Qt::CaseInsensitive) == 0) {
            contentType = stdString(value);
        } else {
            response.set_header(stdString(name), stdString(value));
        }
    }
    if (scripted.status == 204 || scripted.status == 304 || scripted.status < 200) {
        // These answers have no body in HTTP; one sent anyway would corrupt the connection.
        return;
    }
    if (scripted.trickleInterval.count() > 0 || scripted.generatedBodySize >= 0) {
        provideBody(scripted, contentType, index, response);
    } else if (scripted.chunked) {
        auto body = std::make_shared<std::string>(stdString(scripted.body));
        response.set_chunked_content_provider(contentType, [body](size_t offset, httplib::DataSink &sink) {
            constexpr size_t chunk = 64 * 1024;
            if (offset >= body->size()) {
                sink.done();
                return true;
            }
            return sink.write(body->data() + offset, std::min(chunk, body->size() - offset));
        });
    } else {
        response.set_content(stdString(scripted.body), contentType);
    }
}

// Sends a trickled or generated body, counting what the connection takes.
void ServiceStandIn::State::provideBody(
    const ScriptedResponse &scripted, const std::string &contentType, qsizetype index, httplib::Response &response)
{
    const auto sent = [this, index](size_t count) {
        std::lock_guard lock(mutex);
        requests[index].answerBytesSent += static_cast<qint64>(count);
    };
    const auto ended = [this, index](bool) {
        std::lock_guard lock(mutex);
        requests[index].answerEnded = true;
    };
    if (scripted.trickleInterval.count() > 0) {
        auto body = std::make_shared<std::string>(stdString(scripted.body));
        const auto interval = scripted.trickleInterval;
        response.set_chunked_content_provider(
            contentType,
            [this, body, interval, sent](size_t offset, httplib::DataSink &sink) {
                if (offset >= body->size()) {
                    sink.done();
                    return true;
                }
                std::this_thread::sleep_for(interval);
                if (std::lock_guard lock(mutex); stopping) {
                    return false;
                }
                if (!sink.write(body->data() + offset, 1)) {
                    return false;
                }
                sent(1);
                return true;
            },
            ended);
        return;
    }
    const auto size = static_cast<size_t>(scripted.generatedBodySize);
    static const std::string block(64 * 1024, 'x');
    const auto provide = [this, size, sent](size_t offset, httplib::DataSink &sink) {
        if (offset >= size) {
            sink.done();
            return true;
        }
        // About 64 MB/s, as from a fast server across a network: over loopback, an answer
        // sent faster than the client reads it would keep Qt's network thread reading in
        // one go, where no bound set from the GUI thread can reach it.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (std::lock_guard lock(mutex); stopping) {
            return false;
        }
        const size_t count = std::min(block.size(), size - offset);
        if (!sink.write(block.data(), count)) {
            return false;
        }
        sent(count);
        return true;
    };
    if (scripted.chunked) {
        response.set_chunked_content_provider(contentType, provide, ended);
    } else {
        response.set_content_provider(
            size, contentType,
            [provide](size_t offset, size_t, httplib::DataSink &sink) { return provide(offset, sink); }, ended);
    }
}

// Holds a delayed answer back; false when the client went away or the stand-in stops.
bool ServiceStandIn::State::waitForRelease(const ScriptedResponse &scripted, int fd, qsizetype index)
{
    using Clock = std::chrono::steady_clock;
    constexpr std::chrono::milliseconds tick{10};
    const auto deadline = Clock::now() + scripted.delay;
    std::unique_lock lock(mutex);
    const quint64 generation = releaseGeneration;
    ++pending;
    bool answer = true;
    while (true) {
        if (stopping) {
            answer = false;
            break;
        }
        const bool released = !scripted.held || releaseGeneration != generation;
        if (released && Clock::now() >= deadline) {
            break;
        }
        lock.unlock();
        // A connection whose socket has no peer any more was reset by the client.
        const bool closed = fd < 0 || peerClosed(fd, tick);
        lock.lock();
        if (closed) {
            requests[index].clientDisconnected = true;
            answer = false;
            break;
        }
    }
    --pending;
    return answer;
}

ServiceStandIn::ServiceStandIn()
    : m_state(std::make_unique<State>())
{
    // A client that goes away while its answer is written must not kill the test.
    std::signal(SIGPIPE, SIG_IGN);

    State &state = *m_state;
    const auto handler
        = [&state](const httplib::Request &request, httplib::Response &response) { state.handle(request, response); };
    const std::string any = ".*";
    state.server.Get(any, handler);
    state.server.Post(any, handler);
    state.server.Put(any, handler);
    state.server.Patch(any, handler);
    state.server.Delete(any, handler);
    state.server.Options(any, handler);
    state.server.set_pre_routing_handler(&hideMultipartContentType);
    // Idle keep-alive connections end soon, so that stopping never waits long.
    state.server.set_keep_alive_timeout(1);

    state.port = state.server.bind_to_any_port("127.0.0.1");
    if (state.port <= 0) {
        throw std::runtime_error("the service stand-in could not bind a port on 127.0.0.1");
    }
    state.thread = std::thread([&state] { state.server.listen_after_bind(); });
    while (!state.server.is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

ServiceStandIn::~ServiceStandIn()
{
    stop();
}

void ServiceStandIn::stop()
{
    State &state = *m_state;
    {
        std::lock_guard lock(state.mutex);
        state.stopping = true;
    }
    if (state.thread.joinable()) {
        state.server.stop();
        state.thread.join();
    }
}

quint16 ServiceStandIn::port() const
{
    return static_cast<quint16>(m_state->port);
}

QUrl ServiceStandIn::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_state->port).arg(path));
}

void ServiceStandIn::setDefaultResponse(const QByteArray &method, const QString &path, ScriptedResponse response)
{
    setDefaultResponder(method, path, [response](const RecordedRequest &) { return response; });
}

void ServiceStandIn::setDefaultResponder(const QByteArray &method, const QString &path, Responder responder)
{
    std::lock_guard lock(m_state->mutex);
    m_state->defaults.insert(State::endpoint(method, path), std::move(responder));
}

void ServiceStandIn::enqueueResponse(const QByteArray &method, const QString &path, ScriptedResponse response)
{
    std::lock_guard lock(m_state->mutex);
    m_state->queues[State::endpoint(method, path)].push_back(std::move(response));
}

void ServiceStandIn::releaseHeldResponses()
{
    std::lock_guard lock(m_state->mutex);
    ++m_state->releaseGeneration;
}

QList<RecordedRequest> ServiceStandIn::requests() const
{
    // A list of its own: the server thread goes on writing into its records, in place when
    // nothing shares them, which Qt decides without synchronising with the thread that
    // shared them last.
    std::lock_guard lock(m_state->mutex);
    return QList<RecordedRequest>(m_state->requests.cbegin(), m_state->requests.cend());
}

QList<RecordedRequest> ServiceStandIn::requests(const QByteArray &method, const QString &path) const
{
    QList<RecordedRequest> matching;
    for (const RecordedRequest &request : requests()) {
        if (request.method == method.toUpper() && request.path == path) {
            matching.append(request);
        }
    }
    return matching;
}

QStringList ServiceStandIn::unscriptedRequests() const
{
    QStringList unscripted;
    for (const RecordedRequest &request : requests()) {
        if (request.unscripted) {
            unscripted << QString::fromLatin1(request.method) + QLatin1Char(' ') + request.path;
        }
    }
    return unscripted;
}

qsizetype ServiceStandIn::requestCount() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->requests.size();
}

int ServiceStandIn::pendingResponseCount() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->pending;
}

void expectAllScripted(const ServiceStandIn &standIn)
{
    const QStringList unscripted = standIn.unscriptedRequests();
    EXPECT_TRUE(unscripted.isEmpty()) << "requests that no answer was scripted for (sent twice?): "
                                      << unscripted.join(QStringLiteral(", ")).toStdString();
}

std::shared_ptr<QNetworkAccessManager> sessionServingOrigin(const QUrl &origin, const ServiceStandIn &standIn)
{
    auto session = std::make_shared<HostsServingSession>();
    session->serve(origin, standIn);
    return session;
}

} // namespace veyra::test
