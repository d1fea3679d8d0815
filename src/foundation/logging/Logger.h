#pragma once

#include <QLoggingCategory>
#include <QString>

namespace veyra {

// One logger per component, named "<bundle identifier>.<component>" so that
// QT_LOGGING_RULES can select Veyra's messages. Use it as a logging category:
//     qCCritical(m_logger) << "Translation failed:" << error;
// Loggers are cheap to copy; the category behind one name is created once and lives
// for the process.
class Logger
{
public:
    explicit Logger(const char *component);
    explicit Logger(const QString &component);

    const QLoggingCategory &category() const { return *m_category; }
    operator const QLoggingCategory &() const { return *m_category; }

private:
    const QLoggingCategory *m_category;
};

} // namespace veyra
