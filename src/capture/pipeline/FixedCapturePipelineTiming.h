#pragma once

#include "capture/pipeline/CapturePipelineTimingProviding.h"

namespace veyra {

class FixedCapturePipelineTiming : public CapturePipelineTimingProviding
{
public:
    explicit FixedCapturePipelineTiming(std::int64_t intervalMilliseconds)
        : m_intervalMilliseconds(intervalMilliseconds)
    { }

    std::int64_t intervalMilliseconds() const override { return m_intervalMilliseconds; }

private:
    std::int64_t m_intervalMilliseconds;
};

} // namespace veyra
