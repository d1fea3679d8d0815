#include "capture/x11/X11WorkPool.h"

#include "foundation/async/AsyncTask.h"

namespace veyra {

QThreadPool &x11WorkPool()
{
    static QThreadPool &pool = newWorkerPool(QStringLiteral("VeyraX11"), 1);
    return pool;
}

} // namespace veyra
