#pragma once

#include <functional>

namespace veyra {

// Opens one window of the application. The main window installs the action each time it
// comes on screen; until then (or with an empty action) opening does nothing. A new action
// replaces and releases the old one.
class WindowOpenRouter
{
public:
    using OpenAction = std::function<void()>;

    const OpenAction &openAction() const { return m_openAction; }
    void setOpenAction(OpenAction action) { m_openAction = std::move(action); }

    // Runs the action when there is one; true when it ran.
    bool open() const
    {
        if (!m_openAction) {
            return false;
        }
        const OpenAction action = m_openAction;
        action();
        return true;
    }

private:
    OpenAction m_openAction;
};

// Opens the capture-area editor window ("capture-areas").
class CaptureAreaEditorRouter : public WindowOpenRouter
{ };

// Opens, or brings back, the main window ("main").
class MainWindowRouter : public WindowOpenRouter
{ };

} // namespace veyra
