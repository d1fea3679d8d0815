#pragma once

#include <functional>

class QObject;

namespace veyra {

// How every view hears the interface language: when it changes, the application's widgets
// receive QEvent::LanguageChange (the event Qt sends when a translator is installed). Qt
// hands it to every top-level window, shown or not, and each widget passes it on to its
// children; a view relabels itself in changeEvent(), where it looks every text up again
// with localizedString(). The change arrives on a later event-loop turn.

// Sends QEvent::LanguageChange to the application, which Qt forwards to every window.
// Called by ClientLanguageSettingsModel after each change it publishes. GUI thread;
// does nothing without an application object.
void announceInterfaceLanguageChange();

// Runs `relabel` each time `object` receives QEvent::LanguageChange, for as long as the
// object lives: for windows whose class is Qt's own (a message box, a plain window
// holding a view). GUI thread.
void relabelOnLanguageChange(QObject *object, std::function<void()> relabel);

} // namespace veyra
