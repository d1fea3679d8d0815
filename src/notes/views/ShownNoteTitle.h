#pragma once

#include <QString>

namespace veyra {

// A note's title as the note views show it: the title itself, or the localised
// "(Untitled)" when it has nothing but blanks (a window without a title), as the window
// picker and the overlay name such a window. The note keeps its own title unchanged.
QString shownNoteTitle(const QString &title);

} // namespace veyra
