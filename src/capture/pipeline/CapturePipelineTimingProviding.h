#pragma once

#include <cstdint>

namespace veyra {

// The configured capture interval. The loop holds it; its wait is a fixed second.
class CapturePipelineTimingProviding
{
public:
    virtual ~CapturePipelineTimingProviding() = default;
    virtual std::int64_t intervalMilliseconds() const = 0;
};

} // namespace veyra
