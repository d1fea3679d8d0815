#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

#include <functional>
#include <optional>

class QObject;
class QScreen;
class QScrollArea;
class QWidget;

namespace veyra {

// Keeps the application's top-level windows inside the free area of their screen (the
// screen less the desktop's panels, as the window manager reports it): a window's first size
// no larger than that area, its frame, title bar first, inside it, and the content of a
// window of fixed size scrolling where the window cannot be as large as the content.
//
// A window manager frames a window only once it is mapped, so until a window is framed its
// frame is taken to be the last one seen around a window of this process (none before the
// first); once it is framed, a window that sticks out all the same is brought inside, once.
// Sizes and places are in the device-independent pixels of Qt's geometry. GUI thread.
class WindowFit
{
public:
    // The frame the window manager puts around `window`: its own once it is framed, else the
    // last frame seen around a window of this process (of a fixed size where `window` is,
    // else of one the player can resize, where there was one), else none.
    static QMargins frameMargins(const QWidget &window);

    // `wanted`, no larger than `room` (the room of the client area), never below `least`.
    static QSize fittedSize(QSize wanted, QSize least, QSize room);
    // The client size of a window that holds `content` of fixed size in a scroll area, within
    // `room`: the content's own size where it fits; else as much of the room as the content
    // needs, with room for the scroll bar that the cut side needs (`scrollBarExtent`).
    static QSize scrolledSize(QSize content, QSize room, int scrollBarExtent);
    // `client` moved so that, with `frame` around it, it lies inside `available`; where it is
    // larger, its top-left corner (the title bar) stays inside.
    static QRect keptInside(QRect client, const QMargins &frame, const QRect &available);
    // The client area of a window of `size` whose frame is centred in `available`, kept
    // inside it.
    static QRect centredIn(const QRect &available, QSize size, const QMargins &frame);

    // A window the player can resize: at its first show its size, as it is then, is fitted
    // into the free area of its screen (never below its minimum size), and once the window
    // manager has framed it, it is brought inside that area where it sticks out; later, a
    // window that its content's least size made larger than the area for a while comes back
    // inside it as soon as that size allows.
    static void fitOnFirstShow(QWidget &window);

    // A scroll area, without a frame, that holds `content` (of a fixed size) and shows a
    // scroll bar only where the window is smaller than the content.
    static QScrollArea *scrolling(QWidget *content, QWidget *parent);
    // Gives `window`, which holds a content of `content` size in `scrolling`, the fixed size
    // that fits the free area of `screen`; then, once the window manager has framed it the
    // next time, brings it inside that area where it sticks out all the same.
    static void fitFixed(QWidget &window, QSize content, const QScreen *screen);

    // Runs `action` once the window manager has framed and placed `window` (at once when it
    // has, and not when `context` has gone or the window was hidden before).
    static void whenFramed(QWidget &window, QObject *context, std::function<void()> action);

    // The free area of the screen `window` is on (or will be on).
    static QRect availableArea(const QWidget &window);

private:
    // Brings a window that sticks out of its screen's free area inside, smaller where it
    // has to be.
    static void keepInside(QWidget &window, std::optional<QSize> fixedContent);
};

} // namespace veyra
