#pragma once

#include "support/XvfbSession.h"

#include <QProcessEnvironment>
#include <QString>

namespace veyra::test {

// Qt picks its platform once, when the application starts, and the test main starts every
// program on the offscreen platform. A suite that needs Qt's own windows on a real X
// server runs its tests again in a child process of the same program, on the xcb platform
// and the display of a private X server; in the parent those tests skip themselves.

// True in such a child.
bool runsOnXcb();

struct ChildTestRun
{
    int exitCode = -1;
    // Everything the child wrote, both channels.
    QString output;
};

// Runs this program's tests that match the Google Test filter in a child on the session's
// display (without Qt scaling, unless `extraEnvironment` sets QT_SCALE_FACTOR, say) and waits
// for it to end.
ChildTestRun runTestsOnXcb(const XvfbSession &session, const QString &filter, int timeoutMs = 300000,
    const QProcessEnvironment &extraEnvironment = QProcessEnvironment());

} // namespace veyra::test
