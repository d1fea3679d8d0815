#pragma once

namespace veyra {

// What main() settles about its own process before Qt starts. Plain POSIX: no Qt object
// may exist yet.

// One OpenMP thread per recognition keeps two parallel recognitions from spinning up teams
// of threads that fight over the cores. The OpenMP runtime comes in with libtesseract and
// reads its environment when it is loaded, before main() runs, so the variable only counts
// if the process starts with it: when it is not set, this sets it and starts the program
// again, through the executable's own path with the original arguments (argv[0] too), so
// that ps, pgrep and killall still know the process as veyra. Returns only when no restart
// was needed or the restart failed (then the recogniser still keeps OpenMP on its calling
// thread).
void restartWithOpenMPThreadLimit(char *argv[]);

// Where no session bus is set up, libdbus starts a bus daemon for the X display on the
// first connection (X11 autolaunch), which then outlives Veyra. This names the user's bus
// at $XDG_RUNTIME_DIR/bus when there is one and otherwise points the session bus address
// at none, so that Veyra starts no daemon; an address already set is left alone.
void preventSessionBusAutolaunch();

} // namespace veyra
