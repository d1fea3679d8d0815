#include "capture/windows/WindowSnapshotCapturing.h"

#include "foundation/language/LocalizedString.h"

namespace veyra {

namespace {
QString messageFor(WindowSnapshotError::Kind kind)
{
    switch (kind) {
    case WindowSnapshotError::Kind::targetUnavailable:
        return QString::fromUtf8(QT_TRANSLATE_NOOP("Veyra", "The selected window is no longer available."));
    case WindowSnapshotError::Kind::captureFailed:
        break;
    }
    return QString::fromUtf8(QT_TRANSLATE_NOOP("Veyra", "Veyra couldn't capture the selected window."));
}
} // namespace

WindowSnapshotError::WindowSnapshotError(Kind kind)
    : LocalizedError(messageFor(kind))
    , m_kind(kind)
{ }

} // namespace veyra
