#include "capture/windows/WindowCatalogProviding.h"

#include <QCoreApplication>

namespace veyra {

WindowCatalogError::WindowCatalogError(Kind kind)
    : LocalizedError(QString::fromUtf8(
        QT_TRANSLATE_NOOP("Veyra", "Veyra couldn't load the running window list. Refresh the list and try again.")))
    , m_kind(kind)
{ }

} // namespace veyra
