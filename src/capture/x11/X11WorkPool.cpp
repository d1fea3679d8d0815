#include "capture/x11/X11WorkPool.h"

namespace veyra {

QThreadPool &x11WorkPool()
{
    static QThreadPool *pool = [] {
        auto *created = new QThreadPool;
        created->setObjectName(QStringLiteral("VeyraX11"));
        created->setMaxThreadCount(1);
        created->setExpiryTimeout(-1);
        return created;
    }();
    return *pool;
}

} // namespace veyra
