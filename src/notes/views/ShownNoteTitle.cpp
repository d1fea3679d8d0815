#include "notes/views/ShownNoteTitle.h"

#include "foundation/language/LocalizedString.h"

namespace veyra {

QString shownNoteTitle(const QString &title)
{
    if (title.trimmed().isEmpty()) {
        return localizedString(QT_TRANSLATE_NOOP("Veyra", "(Untitled)"));
    }
    return title;
}

} // namespace veyra
