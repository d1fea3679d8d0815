#pragma once

#include <QString>

#include <exception>
#include <vector>

namespace veyra {

// What a screen tells the user about a failure, kept as what to say rather than as the
// words: the text is put together in the interface language each time it is read, so a
// message already on screen follows a change of language (its view reads it again on
// QEvent::LanguageChange). Either an error, worded by its localized description, or an
// English text marked with QT_TRANSLATE_NOOP whose "%@" are filled, in order, with the
// texts of other messages (the cause of a failure, for instance). GUI thread.
class ErrorMessage
{
public:
    // The description of the error (describeError), read anew each time.
    static ErrorMessage describing(std::exception_ptr error);
    // A marked English text, looked up each time, with its "%@" filled by the arguments.
    static ErrorMessage text(const char *utf8Key, std::vector<ErrorMessage> arguments = {});

    // The message in the current interface language.
    QString localized() const;

    // Equal when they say the same thing: the same text with equal arguments, or the same
    // error object.
    bool operator==(const ErrorMessage &other) const;

private:
    ErrorMessage() = default;

    QString m_key;
    std::exception_ptr m_error;
    std::vector<ErrorMessage> m_arguments;
};

} // namespace veyra
