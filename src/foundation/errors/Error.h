#pragma once

#include <QString>

#include <exception>
#include <string>

namespace veyra {

// Base of every error Veyra throws. The English message is fixed by the thrower;
// localizedDescription() is what a user or the log sees.
class Error : public std::exception
{
public:
    explicit Error(QString message);

    // The fixed English text of this error.
    const QString &message() const { return m_message; }

    // The text to show. Errors whose messages are translated override this.
    virtual QString localizedDescription() const;

    const char *what() const noexcept override { return m_what.c_str(); }

private:
    QString m_message;
    std::string m_what;
};

// An error whose English message is passed through localizedString() for display.
class LocalizedError : public Error
{
public:
    using Error::Error;
    QString localizedDescription() const override;
};

// Thrown when an operation ends because its own task was cancelled.
class CancellationError : public Error
{
public:
    CancellationError();
};

// The description of any exception: Veyra's own errors give their localized
// description, other standard exceptions their what().
QString describeError(const std::exception &error);
QString describeError(std::exception_ptr error);

// A sentence followed by the reason behind it in parentheses, when there is one: "The file
// “a.json” couldn't be saved. (No space left on device)".
QString withDetail(const QString &sentence, const QString &detail);

// True when the exception is a CancellationError.
bool isCancellation(std::exception_ptr error);

} // namespace veyra
