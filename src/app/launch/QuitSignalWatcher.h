#pragma once

#include <QObject>

class QSocketNotifier;

namespace veyra {

// Turns SIGTERM, SIGINT and SIGHUP (a session logging out, Ctrl+C in a terminal) into
// an orderly quit of the event loop instead of an abrupt end of the process.
class QuitSignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit QuitSignalWatcher(QObject *parent = nullptr);
    ~QuitSignalWatcher() override;

Q_SIGNALS:
    void quitRequested(int signalNumber);

private:
    void readSignal();
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace veyra
