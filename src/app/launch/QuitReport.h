#pragma once

#include <QString>

#include <functional>

namespace veyra {

// Every way this Veyra ends writes one line that names the cause to the log ("Veyra quits:
// ..."), once: a quit asked for inside the application (the cause named here), a signal,
// the X server going away, exit() called from anywhere else, an uncaught exception, a fatal
// Qt message and a crash signal nothing else reports (a sanitizer reports its own). Main
// thread, except what the process's end runs.
//
// The ends that leave without main()'s own end (the X server going away, exit(), an
// uncaught exception, a fatal Qt message) run the last saves (runLastSaves()) once the line
// is written, on the thread that ends the process; main() ends with finishApplicationWork(),
// which runs them too. A crash signal is left alone: its handler may only make
// async-signal-safe calls.
//
// When the X server goes away, Qt would end the process with exit(1), destroying static
// objects while worker threads may still be inside Qt's code: the process leaves at once
// instead (status 1, nothing destroyed), once the line is written and the last saves have
// run.
namespace QuitReport {

// From now on the ends of the process are reported; `unnamedCause` names a quit of the
// event loop whose cause nobody named before its quit event (nothing: no better name than
// a generic one). `xcbConnection` (nothing off X) tells whether the X server went away.
// Call once the application object exists; again to replace the unnamed cause.
void install(std::function<QString()> unnamedCause, void *xcbConnection);

// Names the cause of the quit about to happen; the first named cause counts.
void noteCause(const QString &cause);

// Names the cause and quits the event loop.
void quit(const QString &cause);

// Writes the line now, for the cause noted (or the unnamed one); later calls write
// nothing. Called when the event loop has ended.
void writeLine();

} // namespace QuitReport

} // namespace veyra
