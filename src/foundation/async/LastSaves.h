#pragma once

#include <QtGlobal>

#include <functional>

namespace veyra {

// A save that keeps what the player typed or changed last, run however the application
// ends: while the registration lives, runLastSaves() runs it. The save writes what is not
// written yet (or keeps it aside where it cannot be written) at once, without the event
// loop, and must not end the application itself. Made and destroyed on the thread that the
// save runs on (the GUI thread for the models).
class LastSave
{
public:
    LastSave() = default;
    explicit LastSave(std::function<void()> save);
    ~LastSave();

    LastSave(LastSave &&other) noexcept;
    LastSave &operator=(LastSave &&other) noexcept;
    LastSave(const LastSave &) = delete;
    LastSave &operator=(const LastSave &) = delete;

private:
    quint64 m_id = 0;
};

// The one step every end of the application takes before it goes: runs every save
// registered now, in the order of their registration, those of the calling thread only (a
// save of another thread is left out, and the log says so: its data may be in use there).
// An exception from a save is logged and the next save runs. A call from inside a save
// does nothing.
void runLastSaves();

} // namespace veyra
