#pragma once

#include <QtGlobal>

class QNetworkReply;

namespace veyra {

// Bounds how far Qt's network thread reads a reply ahead of this thread, for as long as
// the reply lives.
//
// Qt hands the bound to its network thread through a connection that it makes each time
// it starts the request: at once for a request without a body, on a later turn of the
// event loop for one with a body (and anew for any redirect Qt follows itself; ours are
// followed one reply per hop, each bounded on its own: RedirectFollowingRequest). A bound
// set before that connection exists is lost, and the network thread then reads the answer
// as fast as the peer sends it. So the bound is set now, and again right after each
// start. Call it as soon as the reply exists. GUI thread only.
void boundReadAhead(QNetworkReply *reply, qint64 bytes);

} // namespace veyra
