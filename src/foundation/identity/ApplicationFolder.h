#pragma once

#include <QString>

namespace veyra {

// The folder that holds every file Veyra keeps: "Obrisk" (or "Obrisk Debug" in the
// debug build) in the user's data folder (XDG_DATA_HOME, usually ~/.local/share).
// Nothing is created here; each store creates the folder when it first writes.
QString applicationFolderPath();

// The same rule for a given data folder and build; an empty data folder falls back to
// ~/.local/share.
QString applicationFolderPath(const QString &dataLocation, bool debugBuild);

} // namespace veyra
