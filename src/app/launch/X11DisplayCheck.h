#pragma once

#include <optional>
#include <string>

namespace veyra {

// The X display Qt's xcb platform will open, and where its name came from. Qt takes a
// "-display" (or "--display") argument over DISPLAY.
struct X11DisplayChoice
{
    // Empty when nothing names a display.
    std::string name;
    // What named it: "DISPLAY" or "the -display argument".
    std::string source;
};

X11DisplayChoice chosenX11Display(int argc, char *argv[]);

// Qt aborts the process when its platform cannot connect to the display. Asked before Qt
// starts, this opens (and closes) a connection of its own: nothing when the display
// accepts it, else the one line to print, which says that Veyra needs an X11 display and
// what was read to find one.
std::optional<std::string> x11DisplayProblem(const X11DisplayChoice &display);

} // namespace veyra
