#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace veyra {

// The application's own icon as bundled (the composition root makes it the window icon).
QIcon veyraApplicationIcon();

// The brand mark ("StatusMenuIcon") as a template: its shape in one colour, fitted into
// `size` keeping its aspect ratio, at the given device pixel ratio. The tray menu's icon is
// the same image.
QPixmap statusMenuIconTemplate(QSize size, const QColor &colour, qreal devicePixelRatio = 1.0);

} // namespace veyra
