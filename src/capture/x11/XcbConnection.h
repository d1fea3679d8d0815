#pragma once

#include "foundation/errors/Error.h"

#include <QString>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace veyra {

// A failure of the X connection or of a request on it. Internal: callers turn it into
// the error of their own operation.
class XcbError : public Error
{
public:
    using Error::Error;
};

struct XcbFree
{
    void operator()(void *pointer) const { std::free(pointer); }
};

// A reply or error of libxcb, freed with free().
template <typename T>
using XcbReply = std::unique_ptr<T, XcbFree>;

// One connection to the X server with the atoms and extensions Veyra uses. Opened on
// first use and opened anew when the last one broke (the server restarted, the network
// display went away). An instance belongs to the X work thread: every member is called
// there.
class XcbConnection
{
public:
    // An empty display name means $DISPLAY.
    explicit XcbConnection(QString displayName = QString());
    ~XcbConnection();

    XcbConnection(const XcbConnection &) = delete;
    XcbConnection &operator=(const XcbConnection &) = delete;

    // The open connection; connects first when there is none or the last one broke.
    // A connection the server has closed (it restarted, or dropped this client) is
    // noticed here, before it is used: libxcb itself notices only when a request fails.
    // Throws XcbError when no X server answers.
    xcb_connection_t *open();

    // Drops the connection; the next open() connects anew.
    void close();

    // Counts the connections made so far: state tied to one connection (server-side
    // resources, redirections) is stale once this changes.
    std::uint64_t generation() const { return m_generation; }

    // Valid after open() until close().
    xcb_connection_t *connection() const { return m_connection; }
    xcb_window_t root() const { return m_root; }
    xcb_ewmh_connection_t &ewmh() { return m_ewmh; }
    xcb_atom_t wmStateAtom() const { return m_wmState; }
    bool hasComposite() const { return m_hasComposite; }
    bool hasDamage() const { return m_damageEventBase >= 0; }
    // The event code of DamageNotify (valid when hasDamage()).
    std::uint8_t damageNotifyEvent() const;
    bool hasShm() const { return m_hasShm; }
    // The server makes pixmaps of shared-memory segments (MIT-SHM 1.1 with ZPixmap).
    bool hasShmPixmaps() const { return m_hasShmPixmaps; }
    bool hasRender() const { return m_hasRender; }
    bool hasResourceExtension() const { return m_hasResource; }

    // True when the connection broke (every later request fails).
    bool hasFailed() const;

    // True when the server has closed its end of the connection, even if libxcb has not
    // noticed yet. Costs one system call and reads nothing.
    bool wasClosedByServer() const;

    // Waits until the server has handled every request sent so far. Throws XcbError
    // when the connection broke.
    void sync();

private:
    void connect();

    QString m_displayName;
    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_root = XCB_NONE;
    xcb_ewmh_connection_t m_ewmh{};
    bool m_ewmhValid = false;
    xcb_atom_t m_wmState = XCB_ATOM_NONE;
    bool m_hasComposite = false;
    int m_damageEventBase = -1;
    bool m_hasShm = false;
    bool m_hasShmPixmaps = false;
    bool m_hasRender = false;
    bool m_hasResource = false;
    std::uint64_t m_generation = 0;
};

} // namespace veyra
