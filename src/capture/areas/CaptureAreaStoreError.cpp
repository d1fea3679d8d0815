#include "capture/areas/CaptureAreaStoreError.h"

#include "foundation/language/LocalizedString.h"

namespace veyra {

namespace {
QString messageFor(CaptureAreaStoreError::Kind kind)
{
    switch (kind) {
    case CaptureAreaStoreError::Kind::unsupportedSchema:
        return QString::fromUtf8(QT_TRANSLATE_NOOP("Veyra", "The saved capture areas use an unsupported format."));
    case CaptureAreaStoreError::Kind::unsupportedCoordinateMode:
        break;
    }
    return QString::fromUtf8(QT_TRANSLATE_NOOP("Veyra", "The saved capture areas use an unsupported coordinate mode."));
}
} // namespace

CaptureAreaStoreError::CaptureAreaStoreError(Kind kind)
    : LocalizedError(messageFor(kind))
    , m_kind(kind)
{ }

} // namespace veyra
