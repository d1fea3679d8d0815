#include "foundation/errors/ErrorMessage.h"

#include "foundation/errors/Error.h"
#include "foundation/language/LocalizedString.h"

namespace veyra {

ErrorMessage ErrorMessage::describing(std::exception_ptr error)
{
    ErrorMessage message;
    message.m_error = std::move(error);
    return message;
}

ErrorMessage ErrorMessage::text(const char *utf8Key, std::vector<ErrorMessage> arguments)
{
    ErrorMessage message;
    message.m_key = QString::fromUtf8(utf8Key);
    message.m_arguments = std::move(arguments);
    return message;
}

QString ErrorMessage::localized() const
{
    if (m_key.isNull()) {
        return describeError(m_error);
    }
    QStringList arguments;
    arguments.reserve(static_cast<qsizetype>(m_arguments.size()));
    for (const ErrorMessage &argument : m_arguments) {
        arguments.append(argument.localized());
    }
    return localizedFormat(m_key, arguments);
}

bool ErrorMessage::operator==(const ErrorMessage &other) const
{
    return m_key == other.m_key && m_error == other.m_error && m_arguments == other.m_arguments;
}

} // namespace veyra
