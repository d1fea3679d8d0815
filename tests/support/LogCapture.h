#pragma once

#include <QList>
#include <QMutex>
#include <QString>
#include <QtGlobal>

namespace veyra::test {

// Records every message logged while it exists (one capture at a time), and passes
// nothing on.
class LogCapture
{
public:
    struct Entry
    {
        QtMsgType type;
        QString category;
        QString message;
    };

    LogCapture()
    {
        current() = this;
        m_previous = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(m_previous);
        current() = nullptr;
    }
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QList<Entry> entries() const
    {
        QMutexLocker lock(&m_mutex);
        return m_entries;
    }

    // The messages of a category whose name ends with "." and the component.
    QStringList messages(const QString &component, QtMsgType type = QtCriticalMsg) const
    {
        QStringList found;
        for (const Entry &entry : entries()) {
            if (entry.type == type && entry.category.endsWith(QLatin1Char('.') + component)) {
                found << entry.message;
            }
        }
        return found;
    }

private:
    static LogCapture *&current()
    {
        static LogCapture *capture = nullptr;
        return capture;
    }

    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (LogCapture *capture = current()) {
            QMutexLocker lock(&capture->m_mutex);
            capture->m_entries.append({type, QString::fromUtf8(context.category), message});
        }
    }

    QtMessageHandler m_previous = nullptr;
    mutable QMutex m_mutex;
    QList<Entry> m_entries;
};

} // namespace veyra::test
