#pragma once

#include "translation/http/HTTPRedirectPolicy.h"

#include <QByteArray>
#include <QList>
#include <QUrl>

#include <chrono>
#include <optional>
#include <utility>

namespace veyra {

// Header fields in the order they were set. Names compare case-insensitively.
class HTTPHeaders
{
public:
    using Field = std::pair<QByteArray, QByteArray>;

    HTTPHeaders() = default;
    HTTPHeaders(std::initializer_list<Field> fields);

    // Replaces every field of that name by one with the value.
    void set(const QByteArray &name, const QByteArray &value);
    // Adds a field, keeping those of the same name.
    void add(const QByteArray &name, const QByteArray &value) { m_fields.append({name, value}); }
    void remove(const QByteArray &name);
    // The first value of the name, if any.
    std::optional<QByteArray> value(const QByteArray &name) const;
    bool contains(const QByteArray &name) const { return value(name).has_value(); }

    const QList<Field> &fields() const { return m_fields; }

    bool operator==(const HTTPHeaders &) const = default;

private:
    QList<Field> m_fields;
};

// Every request carries a time-out of its own unless its builder chooses another.
inline constexpr std::chrono::milliseconds defaultHTTPRequestTimeout{15000};

// One request as a client builds it. The time-out is the longest the whole request may
// take, from sending to the last byte of the answer. Redirects stay on the request's
// origin unless the request says otherwise (HTTPRedirectPolicy, keepsToItsOrigin()).
struct HTTPRequest
{
    QByteArray method = "GET";
    QUrl url;
    HTTPHeaders headers;
    QByteArray body;
    std::chrono::milliseconds timeout = defaultHTTPRequestTimeout;
    HTTPRedirectPolicy redirectPolicy = HTTPRedirectPolicy::sameOrigin;

    bool operator==(const HTTPRequest &) const = default;
};

// One answer of a server, whatever its status: an error status is an answer, not a
// failure of the transport. statusCode is empty when the answer was not HTTP.
struct HTTPResponse
{
    std::optional<int> statusCode;
    HTTPHeaders headers;
    QByteArray body;

    bool operator==(const HTTPResponse &) const = default;
};

} // namespace veyra
