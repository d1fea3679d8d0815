#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace veyra {

// The application's own icon as bundled (the composition root makes it the window icon).
QIcon veyraApplicationIcon();

// A bundled symbol (":/icons/<name>.svg") in one colour: its shape fitted into `size` points
// keeping its aspect ratio, centred, at the given device pixel ratio; a null pixmap for an
// unknown name or an empty size. Drawn straight from the SVG: a QIcon made for one picture
// leaves that picture in QPixmapCache under a key of that icon alone, which no later call
// finds, so every such call would keep another picture there (up to the cache's 10 MiB).
QPixmap symbolPixmap(const QString &name, QSize size, const QColor &colour, qreal devicePixelRatio = 1.0);

// The colours of a symbol's icon in the states of the widget that shows it. A state whose
// colour is invalid has no picture of its own: the style makes it from the normal one.
struct SymbolIconColours
{
    QColor normal;
    QColor active;
    QColor disabled;
};

// A bundled symbol as an icon of `size` points in those colours, with pictures for device
// pixel ratios 1 and 2. One icon per symbol, size and colours, kept for the process: a
// widget that draws an icon leaves its pictures in QPixmapCache under keys of that icon's
// own pictures, so an icon made anew for each use (a button refreshed at every move of a
// drag, a menu filled at every opening) would leave more pictures there each time.
QIcon tintedSymbolIcon(const QString &name, QSize size, const SymbolIconColours &colours);

// The brand mark ("StatusMenuIcon") as a template: its shape in one colour, fitted into
// `size` keeping its aspect ratio, at the given device pixel ratio. The tray menu's icon is
// the same image.
QPixmap statusMenuIconTemplate(QSize size, const QColor &colour, qreal devicePixelRatio = 1.0);

} // namespace veyra
