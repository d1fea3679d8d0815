#include "foundation/async/AsyncTask.h"

#include <algorithm>

namespace veyra {

QThreadPool &cpuWorkPool()
{
    static QThreadPool *pool = [] {
        auto *created = new QThreadPool;
        created->setObjectName(QStringLiteral("VeyraCpuWork"));
        created->setMaxThreadCount(std::clamp(QThread::idealThreadCount(), 1, 2));
        created->setExpiryTimeout(-1);
        return created;
    }();
    return *pool;
}

} // namespace veyra
