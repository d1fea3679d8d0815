#include "translation/http/HTTPMessage.h"

#include <algorithm>

namespace veyra {

namespace {
bool sameName(const QByteArray &a, const QByteArray &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}
} // namespace

HTTPHeaders::HTTPHeaders(std::initializer_list<Field> fields)
{
    for (const Field &field : fields) {
        m_fields.append(field);
    }
}

void HTTPHeaders::set(const QByteArray &name, const QByteArray &value)
{
    remove(name);
    m_fields.append({name, value});
}

void HTTPHeaders::remove(const QByteArray &name)
{
    m_fields.removeIf([&name](const Field &field) { return sameName(field.first, name); });
}

std::optional<QByteArray> HTTPHeaders::value(const QByteArray &name) const
{
    const auto it = std::find_if(
        m_fields.cbegin(), m_fields.cend(), [&name](const Field &field) { return sameName(field.first, name); });
    if (it == m_fields.cend()) {
        return std::nullopt;
    }
    return it->second;
}

} // namespace veyra
