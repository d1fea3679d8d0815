#include "app/launch/LaunchEnvironment.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace veyra {

namespace {

bool isSet(const char *name)
{
    const char *value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// The file the running program was started from, or nothing when the kernel cannot name
// it (no /proc) or it has been deleted or replaced since (an update).
std::string runningExecutablePath()
{
    std::string path(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<size_t>(length) >= path.size()) {
        return {};
    }
    path.resize(static_cast<size_t>(length));
    constexpr std::string_view deleted = " (deleted)";
    if (path.size() >= deleted.size() && path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0) {
        return {};
    }
    return path;
}

} // namespace

void restartWithOpenMPThreadLimit(char *argv[])
{
    const char *limit = std::getenv("OMP_THREAD_LIMIT");
    if (limit != nullptr && std::strcmp(limit, "1") == 0) {
        return;
    }
    ::setenv("OMP_THREAD_LIMIT", "1", 1);
    // The kernel names a process after the file it executes: "/proc/self/exe" would make
    // it "exe". The link is followed only where the real path is gone.
    if (const std::string path = runningExecutablePath(); !path.empty()) {
        ::execv(path.c_str(), argv);
    }
    ::execv("/proc/self/exe", argv);
}

void preventSessionBusAutolaunch()
{
    if (isSet("DBUS_SESSION_BUS_ADDRESS")) {
        return;
    }
    if (isSet("XDG_RUNTIME_DIR")) {
        const std::string userBus = std::string(std::getenv("XDG_RUNTIME_DIR")) + "/bus";
        struct stat status
        { };
        if (::stat(userBus.c_str(), &status) == 0 && S_ISSOCK(status.st_mode)) {
            ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + userBus).c_str(), 1);
            return;
        }
    }
    // An address of no known transport: libdbus fails to connect at once, and Qt goes on
    // without a session bus (no accessibility bus, no status-notifier tray).
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
}

} // namespace veyra
