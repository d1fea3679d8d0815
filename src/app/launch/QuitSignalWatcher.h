#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace veyra {

// A quit signal as the kernel delivered it.
struct QuitSignal
{
    int number = 0;
    // The process that sent it and its user, where the kernel names them (kill, sigqueue,
    // tgkill); 0 and -1 when it does not (a terminal hanging up).
    qint64 senderProcessID = 0;
    qint64 senderUserID = -1;

    // "SIGTERM from process 1234 (systemd) of user 1000", or "SIGHUP from the kernel".
    QString description() const;
};

// Turns SIGTERM, SIGINT, SIGHUP and SIGQUIT (a session logging out, Ctrl+C or Ctrl+\ in a
// terminal) into an orderly quit of the event loop instead of an abrupt end of the process,
// telling who sent them. The handler only writes what the kernel gave it to a pipe
// (async-signal-safe); the GUI thread reads it.
class QuitSignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit QuitSignalWatcher(QObject *parent = nullptr);
    ~QuitSignalWatcher() override;

Q_SIGNALS:
    void quitRequested(const veyra::QuitSignal &signal);

private:
    void readSignal();
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace veyra
