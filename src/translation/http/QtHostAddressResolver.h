#pragma once

#include "translation/http/HostAddressResolving.h"

#include <memory>

namespace veyra {

// The system's resolver (/etc/hosts, DNS, ...) through QHostInfo, which looks names up on
// threads of its own. A cancelled lookup is aborted.
class QtHostAddressResolver : public HostAddressResolving
{
public:
    QCoro::Task<ResolvedHost> resolve(QString host, CancellationToken token) override;

    // The one the application shares.
    static std::shared_ptr<HostAddressResolving> shared();
};

} // namespace veyra
