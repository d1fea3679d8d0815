#include "foundation/errors/Error.h"

#include "foundation/language/LocalizedString.h"

namespace veyra {

Error::Error(QString message)
    : m_message(std::move(message))
    , m_what(m_message.toStdString())
{ }

QString Error::localizedDescription() const
{
    return m_message;
}

QString LocalizedError::localizedDescription() const
{
    return localizedString(message());
}

CancellationError::CancellationError()
    : Error(QStringLiteral("The operation was cancelled."))
{ }

QString describeError(const std::exception &error)
{
    if (const auto *own = dynamic_cast<const Error *>(&error)) {
        return own->localizedDescription();
    }
    return QString::fromLocal8Bit(error.what());
}

QString describeError(std::exception_ptr error)
{
    if (!error) {
        return QStringLiteral("Unknown error");
    }
    try {
        std::rethrow_exception(error);
    } catch (const std::exception &e) {
        return describeError(e);
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

QString withDetail(const QString &sentence, const QString &detail)
{
    return detail.isEmpty() ? sentence : sentence + QStringLiteral(" (") + detail + QLatin1Char(')');
}

bool isCancellation(std::exception_ptr error)
{
    if (!error) {
        return false;
    }
    try {
        std::rethrow_exception(error);
    } catch (const CancellationError &) {
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace veyra
