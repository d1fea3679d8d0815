#pragma once

#include <QThreadPool>

namespace veyra {

// The one thread on which Veyra talks to the X server: window lists, window images and
// the display check run there through runOnWorker(), so that no round trip to the
// server ever waits on the GUI thread. One thread keeps the work of the X services in
// order; its thread never expires, and the application's end waits for it (newWorkerPool()).
QThreadPool &x11WorkPool();

} // namespace veyra
