#pragma once

#include "foundation/errors/Error.h"

namespace veyra {

// The capture-area file was written by a version of Veyra that this one cannot read.
class CaptureAreaStoreError : public LocalizedError
{
public:
    enum class Kind {
        // A newer file format.
        unsupportedSchema,
        // Coordinates measured in another way than pixels relative to the window.
        unsupportedCoordinateMode,
    };

    explicit CaptureAreaStoreError(Kind kind);
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

} // namespace veyra
