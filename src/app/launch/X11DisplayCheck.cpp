#include "app/launch/X11DisplayCheck.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <string_view>

namespace veyra {

X11DisplayChoice chosenX11Display(int argc, char *argv[])
{
    for (int index = 1; index + 1 < argc; ++index) {
        const std::string_view argument = argv[index];
        if (argument == "-display" || argument == "--display") {
            return {argv[index + 1], "the -display argument"};
        }
    }
    const char *variable = std::getenv("DISPLAY");
    return {variable != nullptr ? variable : "", "DISPLAY"};
}

std::optional<std::string> x11DisplayProblem(const X11DisplayChoice &display)
{
    const std::string lead = "Veyra needs an X11 display: ";
    if (display.name.empty()) {
        return lead + display.source + (display.source == "DISPLAY" ? " is not set." : " is empty.");
    }
    xcb_connection_t *connection = xcb_connect(display.name.c_str(), nullptr);
    const bool refused = xcb_connection_has_error(connection) != 0;
    xcb_disconnect(connection);
    if (refused) {
        return lead + display.source + " names \"" + display.name + "\", which does not accept a connection.";
    }
    return std::nullopt;
}

} // namespace veyra
