#pragma once

#include <QString>
#include <QUrl>

#include <cstdint>
#include <optional>

namespace veyra {

// The executable of a local process (/proc/<pid>/exe), or nothing when it cannot be read
// (the process ended, or belongs to another user).
std::optional<QUrl> processExecutableURL(std::int32_t processID);

// The command name of a local process (/proc/<pid>/comm), trimmed; empty when unknown.
QString processCommandName(std::int32_t processID);

} // namespace veyra
