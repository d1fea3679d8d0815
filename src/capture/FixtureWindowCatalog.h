#pragma once

#include "capture/windows/WindowCatalogProviding.h"

namespace veyra {

// Fixed applications and windows for UI testing: a game emulator (process 4242) with a
// game window and an untitled window, and the text editor (process 4243) with "Notes".
class FixtureWindowCatalog : public WindowCatalogProviding
{
public:
    // How many times the list has been asked for.
    int loadCount() const { return m_loadCount; }

    // The same list every time, in its fixed order.
    QCoro::Task<QVector<CaptureApplicationGroup>> applicationGroups() override;
    // True when a fixture window has the target's window number and process.
    QCoro::Task<bool> isAvailable(CaptureTarget target) override;

    // The fixture list itself (built once per process).
    static const QVector<CaptureApplicationGroup> &fixtureApplicationGroups();

private:
    int m_loadCount = 0;
};

} // namespace veyra
