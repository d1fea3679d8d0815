#pragma once

#include <QByteArrayView>
#include <QString>

namespace veyra {

// Whether bytes begin like a type-2 AppImage: an ELF identification ("\x7f" "ELF") whose
// otherwise unused bytes 8 to 10 carry the AppImage magic "AI" 0x02.
bool hasAppImageHeader(QByteArrayView bytes);

// Whether the file at `path` is a regular file (a link to one counts) that begins like a
// type-2 AppImage.
bool isAppImageFile(const QString &path);

} // namespace veyra
