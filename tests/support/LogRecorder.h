#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <mutex>

namespace veyra::test {

// Records the messages of one logging category (by the end of its name, e.g.
// ".CapturePipeline") and level while it exists; other messages go to the previous
// handler. One recorder at a time.
class LogRecorder
{
public:
    explicit LogRecorder(QString categorySuffix, QtMsgType type = QtCriticalMsg)
        : m_categorySuffix(std::move(categorySuffix))
        , m_type(type)
    {
        current() = this;
        m_previous = qInstallMessageHandler(&LogRecorder::handle);
    }
    ~LogRecorder()
    {
        qInstallMessageHandler(m_previous);
        current() = nullptr;
    }
    LogRecorder(const LogRecorder &) = delete;
    LogRecorder &operator=(const LogRecorder &) = delete;

    QStringList messages() const
    {
        std::lock_guard lock(m_mutex);
        return m_messages;
    }
    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_messages.clear();
    }

private:
    static LogRecorder *&current()
    {
        static LogRecorder *recorder = nullptr;
        return recorder;
    }

    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        LogRecorder *recorder = current();
        if (recorder && type == recorder->m_type && context.category
            && QString::fromUtf8(context.category).endsWith(recorder->m_categorySuffix)) {
            std::lock_guard lock(recorder->m_mutex);
            recorder->m_messages.append(message);
            return;
        }
        if (recorder && recorder->m_previous) {
            recorder->m_previous(type, context, message);
        }
    }

    QString m_categorySuffix;
    QtMsgType m_type;
    QtMessageHandler m_previous = nullptr;
    mutable std::mutex m_mutex;
    QStringList m_messages;
};

} // namespace veyra::test
