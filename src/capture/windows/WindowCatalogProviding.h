#pragma once

#include "capture/target/CaptureTarget.h"
#include "foundation/errors/Error.h"

#include <QVector>

#include <qcoro/qcorotask.h>

namespace veyra {

class WindowCatalogError : public LocalizedError
{
public:
    enum class Kind {
        // The window server's list of windows could not be read.
        unavailable,
    };

    explicit WindowCatalogError(Kind kind);
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

// Lists the running applications with windows that can be captured, for the window
// picker. Both operations are called on the GUI thread and never block it: the
// window server is asked on another thread and the result arrives when the task
// resumes.
class WindowCatalogProviding
{
public:
    virtual ~WindowCatalogProviding() = default;

    // Every application with at least one selectable window, sorted by name (then
    // process), each with its windows sorted by title (then window number). Throws
    // WindowCatalogError(unavailable) when the window list cannot be read.
    virtual QCoro::Task<QVector<CaptureApplicationGroup>> applicationGroups() = 0;

    // Whether a selectable window with the target's window number and process is
    // listed right now. Never throws: an unreadable list answers false.
    virtual QCoro::Task<bool> isAvailable(CaptureTarget target) = 0;
};

} // namespace veyra
