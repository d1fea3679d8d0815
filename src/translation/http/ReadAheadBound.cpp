#include "translation/http/ReadAheadBound.h"

#include <QNetworkReply>

namespace veyra {

namespace {

class ReadAheadBound : public QObject
{
    Q_OBJECT

public:
    ReadAheadBound(QNetworkReply *reply, qint64 bytes)
        : QObject(reply)
        , m_reply(reply)
        , m_bytes(bytes)
    { }

public slots:
    void apply() { m_reply->setReadBufferSize(m_bytes); }

private:
    QNetworkReply *m_reply;
    qint64 m_bytes;
};

} // namespace

void boundReadAhead(QNetworkReply *reply, qint64 bytes)
{
    auto *bound = new ReadAheadBound(reply, bytes);
    bound->apply();
    // Qt's HTTP reply hands each start of its request to the network thread with this
    // signal, once that thread's side of the request is connected. Queued, so that the
    // bound follows the start.
    if (reply->metaObject()->indexOfSignal("startHttpRequest()") >= 0) {
        QObject::connect(reply, SIGNAL(startHttpRequest()), bound, SLOT(apply()), Qt::QueuedConnection);
    }
}

} // namespace veyra

#include "ReadAheadBound.moc"
